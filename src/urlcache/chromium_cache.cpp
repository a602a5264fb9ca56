#include "urlcache/chromium_cache.h"

#include <cstring>
#include <vector>

#include "urlcache/cache_folder.h"
#include "urlcache/chromium_blockfile_reader.h"
#include "urlcache/chromium_simple_reader.h"
#include "urlcache/chromium_sql_reader.h"
#include "urlcache/file_range.h"

namespace murel {
namespace {

constexpr unsigned char kSimpleMagic[] = {0x30, 0x5C, 0x72, 0xA7, 0x1B, 0x6D, 0xFB, 0xFC};
constexpr unsigned char kBlockfileMagic[] = {0xC3, 0xCA, 0x03, 0xC1};
constexpr unsigned char kSqlMagic[] = {'S', 'Q', 'L', 'C', 'a', 'c', 'h', 'e'};

bool StartsWith(const unsigned char* bytes, std::size_t size, const unsigned char* magic,
                std::size_t length) {
  return size >= length && std::memcmp(bytes, magic, length) == 0;
}

std::optional<ChromiumBackend> BackendOfFolder(Platform& platform, const std::string& folder) {
  const std::unique_ptr<ReadableFile> index = platform.OpenFileForReading(folder + "\\index");
  std::vector<unsigned char> bytes;
  if (!index || !ReadRange(*index, 0, 8, bytes)) return std::nullopt;
  return BackendOfIndex(bytes.data(), bytes.size());
}

}  // namespace

std::optional<ChromiumBackend> BackendOfIndex(const unsigned char* bytes, std::size_t size) {
  if (StartsWith(bytes, size, kSimpleMagic, sizeof kSimpleMagic)) return ChromiumBackend::kSimple;
  if (StartsWith(bytes, size, kBlockfileMagic, sizeof kBlockfileMagic))
    return ChromiumBackend::kBlockfile;
  if (StartsWith(bytes, size, kSqlMagic, sizeof kSqlMagic)) return ChromiumBackend::kSql;
  return std::nullopt;
}

std::unique_ptr<CacheReader> OpenChromiumCache(Platform& platform, const std::string& folder,
                                               EntryMemo* memo) {
  CacheFolders folders(platform);
  // The named folder is the user's choice; the folders below it must be real folders.
  for (const char* below : {"", "\\Cache_Data", "\\Cache\\Cache_Data", "\\Cache"}) {
    const std::string candidate = folder + below;
    if (*below != '\0' && !folders.IsRealFolder(candidate)) continue;
    const std::optional<ChromiumBackend> backend = BackendOfFolder(platform, candidate);
    if (!backend) continue;
    switch (*backend) {
      case ChromiumBackend::kSimple:
        return OpenChromiumSimpleReader(platform, candidate, memo);
      case ChromiumBackend::kBlockfile:
        return OpenChromiumBlockfileReader(platform, candidate);
      case ChromiumBackend::kSql:
        return OpenChromiumSqlReader(platform, candidate);
    }
  }
  return nullptr;
}

}  // namespace murel

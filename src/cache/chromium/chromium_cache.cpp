#include "cache/chromium/chromium_cache.h"

#include <cstring>
#include <utility>
#include <vector>

#include "cache/chromium/chromium_blockfile_reader.h"
#include "cache/chromium/chromium_simple_reader.h"
#include "cache/chromium/chromium_sql_reader.h"
#include "cache/core/file_range.h"

namespace murel {
namespace {

constexpr unsigned char kSimpleMagic[] = {0x30, 0x5C, 0x72, 0xA7, 0x1B, 0x6D, 0xFB, 0xFC};
constexpr unsigned char kBlockfileMagic[] = {0xC3, 0xCA, 0x03, 0xC1};
constexpr unsigned char kSqlMagic[] = {'S', 'Q', 'L', 'C', 'a', 'c', 'h', 'e'};

bool StartsWith(const unsigned char* bytes, std::size_t size, const unsigned char* magic,
                std::size_t length) {
  return size >= length && std::memcmp(bytes, magic, length) == 0;
}

std::optional<ChromiumBackend> BackendOfFolder(OpenedFolder& folder) {
  const std::unique_ptr<ReadableFile> index = folder.OpenName("index");
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
                                               EntryMemo* memo,
                                               std::shared_ptr<OpenedFolder> opened) {
  // The named folder is the user's choice; the folders below it are opened one from the other,
  // never through a link, and the cache's files are then opened from the folder held open.
  const std::shared_ptr<OpenedFolder> named = opened ? opened : platform.OpenFolder(folder);
  if (!named) return nullptr;
  const std::shared_ptr<OpenedFolder> cache = named->OpenSubfolder("Cache");
  const std::pair<std::shared_ptr<OpenedFolder>, const char*> candidates[] = {
      {named, ""},
      {named->OpenSubfolder("Cache_Data"), "\\Cache_Data"},
      {cache ? cache->OpenSubfolder("Cache_Data") : nullptr, "\\Cache\\Cache_Data"},
      {cache, "\\Cache"},
  };
  for (const auto& [candidate, below] : candidates) {
    const std::optional<ChromiumBackend> backend =
        candidate ? BackendOfFolder(*candidate) : std::nullopt;
    if (!backend) continue;
    const std::string path = folder + below;
    switch (*backend) {
      case ChromiumBackend::kSimple:
        return OpenChromiumSimpleReader(platform, path, candidate, memo);
      case ChromiumBackend::kBlockfile:
        return OpenChromiumBlockfileReader(path, candidate);
      case ChromiumBackend::kSql:
        return OpenChromiumSqlReader(platform, path, candidate);
    }
  }
  return nullptr;
}

}  // namespace murel

#include "cache/cache_opener.h"

#include "base/buffer_limits.h"
#include "cache/cache_finder.h"
#include "cache/core/entry_url.h"

namespace murel {
namespace {

// The reader for the cache a run without "-c" reads: the default cache, else the system's own.
std::unique_ptr<CacheReader> OpenDefaultCache(Platform& platform, CacheOrigin& told) {
  if (const std::optional<DefaultCache> found = FindDefaultCache(platform)) {
    told = {found->format->name, found->file};
    return found->format->openFile(platform, found->file);
  }
  for (const CacheFormat& format : CacheFormats()) {
    if (format.openSystem == nullptr) continue;
    told.format = format.name;
    return format.openSystem(platform);
  }
  return nullptr;
}

// The reader for the cache file `path` that the user named, of the first format kept in one
// file that reads it.
std::unique_ptr<CacheReader> OpenCacheFile(Platform& platform, const std::string& path,
                                           CacheOrigin& told) {
  for (const CacheFormat& format : CacheFormats()) {
    if (format.openFile == nullptr) continue;
    if (std::unique_ptr<CacheReader> reader = format.openFile(platform, path)) {
      told.format = format.name;
      return reader;
    }
  }
  return nullptr;
}

// The reader for `cachePath`, as OpenCache gives it but for the check of its URLs; `told` is
// told which cache it reads.
std::unique_ptr<CacheReader> OpenAnyCache(Platform& platform, const std::string& cachePath,
                                          EntryMemo* memo, CacheOrigin& told) {
  if (cachePath.empty()) return OpenDefaultCache(platform, told);
  // Files are named from the full path, so that they open wherever the current directory is.
  std::optional<std::string> full = platform.FullPath(cachePath, kPathBufferSize);
  if (!full || full->empty()) return nullptr;
  told.path = *full;
  const std::optional<std::uint32_t> attributes = platform.QueryAttributes(*full);
  // A named file is a cache file; a named folder may be a link: that is the user's choice.
  if (!attributes || (*attributes & kFileAttributeDirectory) == 0) {
    return OpenCacheFile(platform, *full, told);
  }
  while (full->size() > 3 && full->back() == '\\') full->pop_back();
  // Opened once: a folder put in its place while the formats are tried is not looked into.
  const std::shared_ptr<OpenedFolder> opened = platform.OpenFolder(*full);
  for (const CacheFormat& format : CacheFormats()) {
    if (std::unique_ptr<CacheReader> reader = format.Open(platform, *full, memo, opened)) {
      told.format = format.name;
      return reader;
    }
  }
  return nullptr;
}

}  // namespace

std::unique_ptr<CacheReader> OpenCache(Platform& platform, const std::string& cachePath,
                                       EntryMemo* memo, CacheOrigin* origin) {
  // Every format's URLs are checked here, those of the system's own walk among them.
  CacheOrigin unused;
  return RefusingControlBytes(
      OpenAnyCache(platform, cachePath, memo, origin != nullptr ? *origin : unused));
}

}  // namespace murel

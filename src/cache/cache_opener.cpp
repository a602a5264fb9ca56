#include "cache/cache_opener.h"

#include "base/buffer_limits.h"
#include "cache/cachestorage/chromium_store_reader.h"
#include "cache/cachestorage/firefox_store_reader.h"
#include "cache/chromium/chromium_cache.h"
#include "cache/chromium/chromium_sql_reader.h"
#include "cache/core/entry_url.h"
#include "cache/firefox/firefox_cache_reader.h"
#include "cache/wininet/index_dat_reader.h"
#include "cache/wininet/system_cache_reader.h"

namespace murel {
namespace {

// A WinINet cache folder holds its index.dat.
std::unique_ptr<CacheReader> OpenIndexDatFolder(Platform& platform, const std::string& folder,
                                                EntryMemo* /*memo*/,
                                                std::shared_ptr<OpenedFolder> /*opened*/) {
  return OpenIndexDatReader(platform, folder + "\\index.dat");
}

// The reader for `cachePath`, as OpenCache gives it but for the check of its URLs; `told` is
// told which cache it reads.
std::unique_ptr<CacheReader> OpenAnyCache(Platform& platform, const std::string& cachePath,
                                          EntryMemo* memo, CacheOrigin& told) {
  told.format = CacheFormats().front().name;
  if (cachePath.empty()) {
    const std::optional<std::string> index = platform.DefaultCachePath();
    told.path = index.value_or(std::string());
    return index ? OpenIndexDatReader(platform, *index) : OpenSystemCache(platform);
  }
  // Files are named from the full path, so that they open wherever the current directory is.
  std::optional<std::string> full = platform.GetFullPathNameA(cachePath, kPathBufferSize);
  if (!full || full->empty()) return nullptr;
  told.path = *full;
  const std::optional<std::uint32_t> attributes = platform.GetFileAttributesA(*full);
  // A named file is a cache file; a named folder may be a link: that is the user's choice.
  if (!attributes || (*attributes & kFileAttributeDirectory) == 0) {
    return OpenIndexDatReader(platform, *full);
  }
  while (full->size() > 3 && full->back() == '\\') full->pop_back();
  // Opened once: a folder put in its place while the formats are tried is not looked into.
  const std::shared_ptr<OpenedFolder> opened = platform.OpenFolder(*full);
  for (const CacheFormat& format : CacheFormats()) {
    if (std::unique_ptr<CacheReader> reader = format.open(platform, *full, memo, opened)) {
      told.format = format.name;
      return reader;
    }
  }
  return nullptr;
}

}  // namespace

const std::vector<CacheFormat>& CacheFormats() {
  static const std::vector<CacheFormat> formats{
      {"WinINet", "index.dat (Internet Explorer, Wine)", &OpenIndexDatFolder},
      {"Chromium",
       std::string("index with data_N or <hash>_0 files or sqldbN databases (Chrome, Edge, Brave, "
                   "Opera, Vivaldi, Electron), in the folder, its Cache_Data, or a profile's "
                   "Cache\\Cache_Data") +
           (CanReadChromiumSql() ? "" : "; sqldbN databases are not readable in this build"),
       &OpenChromiumCache},
      {"Firefox", "cache2\\entries (Firefox), in the folder, its cache2, or cache2 itself",
       &OpenFirefoxCache},
      // After the HTTP caches: a profile folder that holds both gives its HTTP cache.
      {"CacheStorage",
       "<40 hex>\\index.txt (Chromium's service-worker caches), in the folder, its CacheStorage, "
       "or a profile's Service Worker\\CacheStorage",
       &OpenChromiumStore},
      {"CacheStorage",
       std::string("<origin>\\cache\\caches.sqlite (Firefox's service-worker caches), in the "
                   "folder (storage\\default), its default, or a profile's storage\\default") +
           (CanReadFirefoxStore() ? "" : "; not readable in this build"),
       &OpenFirefoxStore},
  };
  return formats;
}

std::unique_ptr<CacheReader> OpenCache(Platform& platform, const std::string& cachePath,
                                       EntryMemo* memo, CacheOrigin* origin) {
  // Every format's URLs are checked here, those of the system's own walk among them.
  CacheOrigin unused;
  return RefusingControlBytes(
      OpenAnyCache(platform, cachePath, memo, origin != nullptr ? *origin : unused));
}

}  // namespace murel

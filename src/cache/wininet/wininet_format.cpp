#include "cache/wininet/wininet_format.h"

#include "cache/wininet/index_dat_reader.h"
#include "cache/wininet/system_cache_reader.h"

namespace murel {
namespace {

constexpr const char* kIndexFile = "index.dat";

// A WinINet cache folder holds its index.dat.
std::unique_ptr<CacheReader> OpenIndexDatFolder(Platform& platform, const std::string& folder,
                                                std::shared_ptr<OpenedFolder> /*opened*/) {
  return OpenIndexDatReader(platform, folder + "\\" + kIndexFile);
}

}  // namespace

CacheFormat WinInetFormat() {
  CacheFormat format;
  format.name = "WinINet";
  format.kinds = {{"WinINet index.dat", true}};
  format.lookedFor = "index.dat (Internet Explorer, Wine)";
  // The current layout first: Wine's default cache is the first of these that holds an index.
  format.places = {
      // Windows since 8.1, and Wine.
      {UserFolderKind::kLocalAppData, "Microsoft\\Windows\\INetCache\\Content.IE5"},
      // Windows Vista to 8.
      {UserFolderKind::kLocalAppData, "Microsoft\\Windows\\Temporary Internet Files\\Content.IE5"},
      // Windows before Vista, and older Wine: in the user's profile.
      {UserFolderKind::kHome, "Local Settings\\Temporary Internet Files\\Content.IE5"},
  };
  format.openFolder = &OpenIndexDatFolder;
  format.cacheFile = kIndexFile;
  format.openFile = &OpenIndexDatReader;
  format.openSystem = &OpenSystemCache;
  return format;
}

}  // namespace murel

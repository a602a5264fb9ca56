#include "cache/firefox/firefox_format.h"

#include "cache/firefox/firefox_cache_reader.h"

namespace murel {

CacheFormat FirefoxFormat() {
  CacheFormat format;
  format.name = "Firefox";
  format.kinds = {{"Firefox cache2", true}};
  format.lookedFor = "cache2\\entries (Firefox), in the folder, its cache2, or cache2 itself";
  // Each place is a profile's "cache2" folder.
  format.places = {
      // Linux: ~/.cache, and the snap and flatpak installs' own below the home.
      {UserFolderKind::kCacheHome, "mozilla\\firefox\\*\\cache2"},
      {UserFolderKind::kHome, "snap\\firefox\\common\\.cache\\mozilla\\firefox\\*\\cache2"},
      {UserFolderKind::kHome, ".var\\app\\org.mozilla.firefox\\cache\\mozilla\\firefox\\*\\cache2"},
      // Windows: the local application data.
      {UserFolderKind::kLocalAppData, "Mozilla\\Firefox\\Profiles\\*\\cache2"},
  };
  format.openRemembering = &OpenFirefoxCache;
  return format;
}

}  // namespace murel

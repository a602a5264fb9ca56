#include "cache/chromium/chromium_format.h"

#include "cache/chromium/chromium_cache.h"
#include "cache/chromium/chromium_sql_reader.h"

namespace murel {

CacheFormat ChromiumFormat() {
  CacheFormat format;
  format.name = "Chromium";
  format.kinds = {{"Chromium simple", true},
                  {"Chromium blockfile", true},
                  {"Chromium SQL", CanReadChromiumSql()}};
  format.lookedFor =
      std::string(
          "index with data_N or <hash>_0 files or sqldbN databases (Chrome, Edge, Brave, "
          "Opera, Vivaldi, Electron), in the folder, its Cache_Data, or a profile's "
          "Cache\\Cache_Data") +
      (CanReadChromiumSql() ? "" : "; sqldbN databases are not readable in this build");
  // Each place is a profile's "Cache" folder.
  format.places = {
      // Linux: ~/.cache.
      {UserFolderKind::kCacheHome, "google-chrome\\*\\Cache"},
      {UserFolderKind::kCacheHome, "google-chrome-beta\\*\\Cache"},
      {UserFolderKind::kCacheHome, "google-chrome-unstable\\*\\Cache"},
      {UserFolderKind::kCacheHome, "chromium\\*\\Cache"},
      {UserFolderKind::kCacheHome, "microsoft-edge\\*\\Cache"},
      {UserFolderKind::kCacheHome, "microsoft-edge-beta\\*\\Cache"},
      {UserFolderKind::kCacheHome, "microsoft-edge-dev\\*\\Cache"},
      {UserFolderKind::kCacheHome, "BraveSoftware\\Brave-Browser\\*\\Cache"},
      {UserFolderKind::kCacheHome, "BraveSoftware\\Brave-Browser-Beta\\*\\Cache"},
      {UserFolderKind::kCacheHome, "BraveSoftware\\Brave-Browser-Nightly\\*\\Cache"},
      {UserFolderKind::kCacheHome, "vivaldi\\*\\Cache"},
      {UserFolderKind::kCacheHome, "opera\\Cache"},
      // Linux: Electron applications keep their cache in their folder of ~/.config.
      {UserFolderKind::kConfigHome, "*\\Cache"},
      // Linux: snap and flatpak installs keep their own ~/.cache and ~/.config below the home.
      {UserFolderKind::kHome, "snap\\chromium\\common\\.cache\\chromium\\*\\Cache"},
      {UserFolderKind::kHome,
       "snap\\brave\\common\\.cache\\BraveSoftware\\Brave-Browser\\*\\Cache"},
      {UserFolderKind::kHome, ".var\\app\\org.chromium.Chromium\\cache\\chromium\\*\\Cache"},
      {UserFolderKind::kHome, ".var\\app\\com.google.Chrome\\cache\\google-chrome\\*\\Cache"},
      {UserFolderKind::kHome,
       ".var\\app\\com.brave.Browser\\cache\\BraveSoftware\\Brave-Browser\\*\\Cache"},
      {UserFolderKind::kHome, ".var\\app\\com.microsoft.Edge\\cache\\microsoft-edge\\*\\Cache"},
      {UserFolderKind::kHome, ".var\\app\\*\\config\\*\\Cache"},
      // Windows: the local application data.
      {UserFolderKind::kLocalAppData, "Google\\Chrome\\User Data\\*\\Cache"},
      {UserFolderKind::kLocalAppData, "Google\\Chrome Beta\\User Data\\*\\Cache"},
      {UserFolderKind::kLocalAppData, "Google\\Chrome Dev\\User Data\\*\\Cache"},
      {UserFolderKind::kLocalAppData, "Google\\Chrome SxS\\User Data\\*\\Cache"},
      {UserFolderKind::kLocalAppData, "Chromium\\User Data\\*\\Cache"},
      {UserFolderKind::kLocalAppData, "Microsoft\\Edge\\User Data\\*\\Cache"},
      {UserFolderKind::kLocalAppData, "Microsoft\\Edge Beta\\User Data\\*\\Cache"},
      {UserFolderKind::kLocalAppData, "Microsoft\\Edge Dev\\User Data\\*\\Cache"},
      {UserFolderKind::kLocalAppData, "Microsoft\\Edge SxS\\User Data\\*\\Cache"},
      {UserFolderKind::kLocalAppData, "BraveSoftware\\Brave-Browser\\User Data\\*\\Cache"},
      {UserFolderKind::kLocalAppData, "BraveSoftware\\Brave-Browser-Beta\\User Data\\*\\Cache"},
      {UserFolderKind::kLocalAppData, "BraveSoftware\\Brave-Browser-Nightly\\User Data\\*\\Cache"},
      {UserFolderKind::kLocalAppData, "Vivaldi\\User Data\\*\\Cache"},
      {UserFolderKind::kLocalAppData, "Opera Software\\Opera Stable\\Cache"},
      {UserFolderKind::kLocalAppData, "Opera Software\\Opera Stable\\*\\Cache"},
      {UserFolderKind::kLocalAppData, "Opera Software\\Opera GX Stable\\Cache"},
      // Windows: Electron applications keep their cache in the roaming application data.
      {UserFolderKind::kRoamingAppData, "*\\Cache"},
  };
  format.openRemembering = &OpenChromiumCache;
  return format;
}

}  // namespace murel

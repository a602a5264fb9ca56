#include "cache/cachestorage/cachestorage_format.h"

#include "cache/cachestorage/chromium_store_reader.h"
#include "cache/cachestorage/firefox_store_reader.h"

namespace murel {

CacheFormat ChromiumStoreFormat() {
  CacheFormat format;
  format.name = "ChromiumCacheStorage";
  format.kinds = {{"Chromium CacheStorage", true}};
  format.lookedFor =
      "<40 hex>\\index.txt (Chromium's service-worker caches), in the folder, its CacheStorage, "
      "or a profile's Service Worker\\CacheStorage";
  // Each place is a profile's store; the profiles lie in ~/.config on Linux.
  format.places = {
      {UserFolderKind::kConfigHome, "google-chrome\\*\\Service Worker\\CacheStorage"},
      {UserFolderKind::kConfigHome, "chromium\\*\\Service Worker\\CacheStorage"},
      {UserFolderKind::kConfigHome, "microsoft-edge\\*\\Service Worker\\CacheStorage"},
      {UserFolderKind::kConfigHome,
       "BraveSoftware\\Brave-Browser\\*\\Service Worker\\CacheStorage"},
      {UserFolderKind::kConfigHome, "vivaldi\\*\\Service Worker\\CacheStorage"},
      {UserFolderKind::kLocalAppData, "Google\\Chrome\\User Data\\*\\Service Worker\\CacheStorage"},
      {UserFolderKind::kLocalAppData, "Chromium\\User Data\\*\\Service Worker\\CacheStorage"},
      {UserFolderKind::kLocalAppData,
       "Microsoft\\Edge\\User Data\\*\\Service Worker\\CacheStorage"},
      {UserFolderKind::kLocalAppData,
       "BraveSoftware\\Brave-Browser\\User Data\\*\\Service Worker\\CacheStorage"},
  };
  format.openFolder = &OpenChromiumStore;
  return format;
}

CacheFormat FirefoxStoreFormat() {
  CacheFormat format;
  format.name = "FirefoxCacheStorage";
  format.kinds = {{"Firefox CacheStorage", CanReadFirefoxStore()}};
  format.lookedFor =
      std::string(
          "<origin>\\cache\\caches.sqlite (Firefox's service-worker caches), in the folder "
          "(storage\\default), its default, or a profile's storage\\default") +
      (CanReadFirefoxStore() ? "" : "; not readable in this build");
  // Each place is a profile's store: the profiles lie in ~/.mozilla on Linux, in the roaming
  // application data on Windows.
  format.places = {
      {UserFolderKind::kHome, ".mozilla\\firefox\\*\\storage\\default"},
      {UserFolderKind::kRoamingAppData, "Mozilla\\Firefox\\Profiles\\*\\storage\\default"},
  };
  format.openFolder = &OpenFirefoxStore;
  return format;
}

}  // namespace murel

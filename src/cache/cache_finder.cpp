#include "cache/cache_finder.h"

#include <algorithm>
#include <set>

#include "cache/wininet/system_cache_reader.h"

namespace murel {
namespace {

// A place where a browser keeps its cache below a user folder of kind `base`. "*" stands for
// each folder at that level (a profile, an application); levels are separated by "\".
struct Place {
  UserFolderKind base;
  const char* pattern;
};

// The folders of another kind that lie below a user folder: a Wine prefix holds a Windows
// user's profile and application data for each user.
struct InnerFolder {
  UserFolderKind base;
  const char* pattern;
  UserFolderKind kind;
};

constexpr InnerFolder kInnerFolders[] = {
    {UserFolderKind::kWinePrefix, "drive_c\\users\\*", UserFolderKind::kHome},
    {UserFolderKind::kWinePrefix, "drive_c\\users\\*\\AppData\\Local",
     UserFolderKind::kLocalAppData},
    {UserFolderKind::kWinePrefix, "drive_c\\users\\*\\AppData\\Roaming",
     UserFolderKind::kRoamingAppData},
};

// Where the browsers keep their caches: the Chromium family's as the profile's "Cache" folder,
// Firefox's as the profile's "cache2", WinINet's as its "Content.IE5" folder.
constexpr Place kPlaces[] = {
    // Linux: ~/.cache holds the caches of the Chromium family and of Firefox.
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
    {UserFolderKind::kCacheHome, "mozilla\\firefox\\*\\cache2"},
    // Linux: Electron applications keep their cache in their folder of ~/.config.
    {UserFolderKind::kConfigHome, "*\\Cache"},
    // Linux: the service-worker caches live in the profiles of ~/.config and ~/.mozilla.
    {UserFolderKind::kConfigHome, "google-chrome\\*\\Service Worker\\CacheStorage"},
    {UserFolderKind::kConfigHome, "chromium\\*\\Service Worker\\CacheStorage"},
    {UserFolderKind::kConfigHome, "microsoft-edge\\*\\Service Worker\\CacheStorage"},
    {UserFolderKind::kConfigHome, "BraveSoftware\\Brave-Browser\\*\\Service Worker\\CacheStorage"},
    {UserFolderKind::kConfigHome, "vivaldi\\*\\Service Worker\\CacheStorage"},
    {UserFolderKind::kHome, ".mozilla\\firefox\\*\\storage\\default"},
    // Linux: snap and flatpak installs keep their own ~/.cache and ~/.config below the home.
    {UserFolderKind::kHome, "snap\\chromium\\common\\.cache\\chromium\\*\\Cache"},
    {UserFolderKind::kHome, "snap\\brave\\common\\.cache\\BraveSoftware\\Brave-Browser\\*\\Cache"},
    {UserFolderKind::kHome, "snap\\firefox\\common\\.cache\\mozilla\\firefox\\*\\cache2"},
    {UserFolderKind::kHome, ".var\\app\\org.chromium.Chromium\\cache\\chromium\\*\\Cache"},
    {UserFolderKind::kHome, ".var\\app\\com.google.Chrome\\cache\\google-chrome\\*\\Cache"},
    {UserFolderKind::kHome,
     ".var\\app\\com.brave.Browser\\cache\\BraveSoftware\\Brave-Browser\\*\\Cache"},
    {UserFolderKind::kHome, ".var\\app\\com.microsoft.Edge\\cache\\microsoft-edge\\*\\Cache"},
    {UserFolderKind::kHome, ".var\\app\\org.mozilla.firefox\\cache\\mozilla\\firefox\\*\\cache2"},
    {UserFolderKind::kHome, ".var\\app\\*\\config\\*\\Cache"},
    // Windows before Vista: WinINet's cache in the user's profile.
    {UserFolderKind::kHome, "Local Settings\\Temporary Internet Files\\Content.IE5"},
    // Windows: WinINet, the Chromium family and Firefox in the local application data.
    {UserFolderKind::kLocalAppData, "Microsoft\\Windows\\INetCache\\Content.IE5"},
    {UserFolderKind::kLocalAppData, "Microsoft\\Windows\\Temporary Internet Files\\Content.IE5"},
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
    {UserFolderKind::kLocalAppData, "Mozilla\\Firefox\\Profiles\\*\\cache2"},
    // Windows: Electron applications keep their cache in the roaming application data.
    {UserFolderKind::kRoamingAppData, "*\\Cache"},
    // Windows: the service-worker caches, in the profiles of the local and roaming data.
    {UserFolderKind::kLocalAppData, "Google\\Chrome\\User Data\\*\\Service Worker\\CacheStorage"},
    {UserFolderKind::kLocalAppData, "Chromium\\User Data\\*\\Service Worker\\CacheStorage"},
    {UserFolderKind::kLocalAppData, "Microsoft\\Edge\\User Data\\*\\Service Worker\\CacheStorage"},
    {UserFolderKind::kLocalAppData,
     "BraveSoftware\\Brave-Browser\\User Data\\*\\Service Worker\\CacheStorage"},
    {UserFolderKind::kRoamingAppData, "Mozilla\\Firefox\\Profiles\\*\\storage\\default"},
};

bool IsFolder(Platform& platform, const std::string& path) {
  const std::optional<FileFacts> facts = platform.QueryFile(path);
  return facts && facts->kind == FileKind::kDirectory;
}

// Adds to `found` every folder below `base` that `pattern` names. A "*" level takes the folders
// there in the order of their names; links are not followed, so no walk goes round in a loop.
void Expand(Platform& platform, const std::string& base, const std::string& pattern,
            std::vector<std::string>& found) {
  const std::size_t slash = pattern.find('\\');
  const std::string level = pattern.substr(0, slash);
  const std::string rest = slash == std::string::npos ? std::string() : pattern.substr(slash + 1);
  std::vector<std::string> names{level};
  if (level == "*") {
    names.clear();
    for (FolderItem& item : platform.ListFolder(base, false).value_or(std::vector<FolderItem>())) {
      names.push_back(std::move(item.name));
    }
    std::sort(names.begin(), names.end());
  }
  for (const std::string& name : names) {
    const std::string path = base + "\\" + name;
    if (!IsFolder(platform, path)) continue;
    if (rest.empty()) {
      found.push_back(path);
    } else {
      Expand(platform, path, rest, found);
    }
  }
}

// The user folders with those that lie inside them (the Windows users of a Wine prefix).
std::vector<UserFolder> AllUserFolders(Platform& platform) {
  std::vector<UserFolder> folders = platform.UserFolders();
  const std::size_t outer = folders.size();
  for (std::size_t i = 0; i < outer; ++i) {
    for (const InnerFolder& inner : kInnerFolders) {
      if (inner.base != folders[i].kind) continue;
      std::vector<std::string> paths;
      Expand(platform, folders[i].path, inner.pattern, paths);
      for (std::string& path : paths) folders.push_back({inner.kind, std::move(path)});
    }
  }
  return folders;
}

// The reader of the first format that the folder holds; `found.format` tells which.
void OpenFound(Platform& platform, FoundCache& found) {
  for (const CacheFormat& format : CacheFormats()) {
    found.reader = format.open(platform, found.path, nullptr, nullptr);
    if (found.reader) {
      found.format = &format;
      return;
    }
  }
}

}  // namespace

std::size_t ForEachUserCache(Platform& platform, const std::function<void(FoundCache&)>& visit) {
  std::vector<std::string> candidates;
  for (const UserFolder& folder : AllUserFolders(platform)) {
    for (const Place& place : kPlaces) {
      if (place.base == folder.kind) Expand(platform, folder.path, place.pattern, candidates);
    }
  }
  const std::optional<std::string> defaultCache = platform.DefaultCachePath();
  if (defaultCache) candidates.push_back(defaultCache->substr(0, defaultCache->rfind('\\')));

  std::size_t visited = 0;
  std::set<std::string> seen;
  for (const std::string& path : candidates) {
    if (!seen.insert(path).second) continue;
    // The reader lives for this step only: a cache holds its index in memory, and one that keeps
    // an entry a file a reading thread, so keeping them all would cost the sum of them.
    FoundCache found{path, nullptr, nullptr};
    OpenFound(platform, found);
    if (!found.reader) continue;
    visit(found);
    ++visited;
  }
  if (!defaultCache) {
    FoundCache system{"", nullptr, OpenSystemCache(platform)};
    if (system.reader) {
      visit(system);
      ++visited;
    }
  }
  return visited;
}

}  // namespace murel

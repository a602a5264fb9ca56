#include "cache/cache_finder.h"

#include <algorithm>
#include <set>

namespace murel {
namespace {

// The folders of a Windows user's profile below which browsers keep their caches, by their
// place in the profile.
struct ProfileFolder {
  UserFolderKind kind;
  const char* below;  ///< Empty for the profile itself.
};

constexpr ProfileFolder kProfileFolders[] = {
    {UserFolderKind::kHome, ""},
    {UserFolderKind::kLocalAppData, "AppData\\Local"},
    {UserFolderKind::kRoamingAppData, "AppData\\Roaming"},
};

// Where a Wine prefix keeps the profiles of its Windows users.
constexpr const char* kWineProfiles = "drive_c\\users\\*";

std::string Below(const std::string& folder, const std::string& pattern) {
  return pattern.empty() ? folder : folder + "\\" + pattern;
}

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

// The user folders with those that lie inside them: the folders of each Windows user of a Wine
// prefix, all users' profiles first, then all users' local application data, and so on.
std::vector<UserFolder> AllUserFolders(Platform& platform) {
  std::vector<UserFolder> folders = platform.UserFolders();
  const std::size_t outer = folders.size();
  for (std::size_t i = 0; i < outer; ++i) {
    if (folders[i].kind != UserFolderKind::kWinePrefix) continue;
    for (const ProfileFolder& inner : kProfileFolders) {
      std::vector<std::string> paths;
      Expand(platform, folders[i].path, Below(kWineProfiles, inner.below), paths);
      for (std::string& path : paths) folders.push_back({inner.kind, std::move(path)});
    }
  }
  return folders;
}

// The reader of the first format that the folder holds; `found.format` tells which.
void OpenFound(Platform& platform, FoundCache& found) {
  for (const CacheFormat& format : CacheFormats()) {
    found.reader = format.Open(platform, found.path, nullptr, nullptr);
    if (found.reader) {
      found.format = &format;
      return;
    }
  }
}

// Visits the system's own cache walk, when a format reads it and it has an entry.
std::size_t VisitSystemCache(Platform& platform, const std::function<void(FoundCache&)>& visit) {
  for (const CacheFormat& format : CacheFormats()) {
    if (format.openSystem == nullptr) continue;
    FoundCache system{"", &format, format.openSystem(platform)};
    if (!system.reader) return 0;
    visit(system);
    return 1;
  }
  return 0;
}

}  // namespace

std::size_t ForEachUserCache(Platform& platform, const std::function<void(FoundCache&)>& visit) {
  std::vector<std::string> candidates;
  for (const UserFolder& folder : AllUserFolders(platform)) {
    for (const CacheFormat& format : CacheFormats()) {
      for (const CachePlace& place : format.places) {
        if (place.base == folder.kind) Expand(platform, folder.path, place.pattern, candidates);
      }
    }
  }
  const std::optional<DefaultCache> defaultCache = FindDefaultCache(platform);
  if (defaultCache)
    candidates.push_back(defaultCache->file.substr(0, defaultCache->file.rfind('\\')));

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
  if (!defaultCache) visited += VisitSystemCache(platform, visit);
  return visited;
}

std::optional<DefaultCache> FindDefaultCache(Platform& platform) {
  const std::optional<std::string> profile = platform.WineUserProfile();
  if (!profile) return std::nullopt;
  for (const CacheFormat& format : CacheFormats()) {
    if (format.cacheFile == nullptr) continue;
    for (const CachePlace& place : format.places) {
      for (const ProfileFolder& folder : kProfileFolders) {
        if (folder.kind != place.base) continue;
        const std::string file =
            Below(Below(*profile, folder.below), place.pattern) + "\\" + format.cacheFile;
        const std::optional<FileFacts> facts = platform.QueryFile(file);
        if (facts && facts->kind == FileKind::kRegular) return DefaultCache{&format, file};
      }
    }
  }
  return std::nullopt;
}

}  // namespace murel

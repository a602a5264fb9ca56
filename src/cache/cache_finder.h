// Finding the caches of the current user: the places where the browsers murel reads keep them.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cache/cache_opener.h"
#include "cache/core/cache_reader.h"
#include "platform/platform.h"

namespace murel {

/// A cache found for the user, open for reading.
struct FoundCache {
  std::string path;  ///< The folder to name with "-c"; empty for the system's own cache walk.
  const CacheFormat* format = nullptr;  ///< Null for the system's own cache walk.
  std::unique_ptr<CacheReader> reader;
};

/// Calls `visit` for every cache of a format of CacheFormats() that lies where a known browser
/// keeps it below the platform's UserFolders (WinINet, the Chromium family, Electron apps and
/// Firefox, with each profile; snap and flatpak installs; the user folders inside Wine prefixes),
/// in the order of the user folders and then of the places; the platform's default cache is among
/// them. When the platform has no default cache, the system's own cache walk is visited last if
/// it has an entry. A folder reached twice is visited once. One cache is open at a time: each is
/// opened just before its visit and closed after it, so a user with many caches costs the memory
/// and threads of the largest one. Returns the number of caches visited.
std::size_t ForEachUserCache(Platform& platform, const std::function<void(FoundCache&)>& visit);

}  // namespace murel

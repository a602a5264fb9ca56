// Finding the caches of the current user: the places where the browsers murel reads keep them.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cache/cache_formats.h"
#include "cache/core/cache_reader.h"
#include "platform/platform.h"

namespace murel {

/// A cache found for the user, open for reading.
struct FoundCache {
  std::string path;  ///< The folder to name with "-c"; empty for the system's own cache walk.
  const CacheFormat* format = nullptr;
  std::unique_ptr<CacheReader> reader;
};

/// Calls `visit` for every cache of a format of CacheFormats() that lies at one of the format's
/// places below the platform's UserFolders or below the Windows users' folders inside its Wine
/// prefixes, in the order of the user folders, then of the formats, then of their places; the
/// default cache (FindDefaultCache) is among them. When there is no default cache, the system's
/// own cache walk is visited last if it has an entry. A folder reached twice is visited once.
/// One cache is open at a time: each is opened just before its visit and closed after it, so a
/// user with many caches costs the memory and threads of the largest one. Returns the number of
/// caches visited.
std::size_t ForEachUserCache(Platform& platform, const std::function<void(FoundCache&)>& visit);

/// The cache that a run without "-c" reads, when it is kept in one file.
struct DefaultCache {
  const CacheFormat* format;
  std::string file;  ///< Its full path.
};

/// The default cache: Wine's own, for the current Wine user (Platform::WineUserProfile). It is
/// the first place of a format kept in one file, in the format's order of places, below that
/// user's folders where the format's file is a regular file; links on the way are followed, as
/// Wine follows them. Empty when there is none (on Windows the system's own walk is the default).
std::optional<DefaultCache> FindDefaultCache(Platform& platform);

}  // namespace murel

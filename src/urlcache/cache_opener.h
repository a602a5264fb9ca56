// Finding the cache that a run reads, and the reader for its format.
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"
#include "urlcache/cache_reader.h"

namespace murel {

/// The reader for the cache `cachePath` as the user named it ("-c"): an index.dat file, or the
/// folder that holds one. An empty `cachePath` means the platform's default cache, or the
/// system's own cache walk where the platform has one. Null if nothing readable is found.
std::unique_ptr<CacheReader> OpenCache(Platform& platform, const std::string& cachePath);

}  // namespace murel

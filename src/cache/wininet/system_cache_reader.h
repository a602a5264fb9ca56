// The system's own cache (WinINet on Windows), read through the platform's cache walk.
#pragma once

#include <memory>

#include "cache/core/cache_reader.h"
#include "platform/platform.h"

namespace murel {

/// A reader over the platform's cache walk (`StartCacheWalk`); entries with a record
/// larger than the standard one are taken with the larger record the platform asks for. Null
/// if the walk cannot be opened or the cache has no entry.
std::unique_ptr<CacheReader> OpenSystemCache(Platform& platform);

}  // namespace murel

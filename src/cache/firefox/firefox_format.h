// The description of Firefox's disk cache ("cache2").
#pragma once

#include "cache/core/cache_format.h"

namespace murel {

/// Firefox's disk cache: one entry a file in the profile's "cache2\entries" folder.
CacheFormat FirefoxFormat();

}  // namespace murel

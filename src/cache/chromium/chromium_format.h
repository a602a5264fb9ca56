// The description of Chromium's disk cache (Chrome, Edge, Brave, Opera, Vivaldi, Electron).
#pragma once

#include "cache/core/cache_format.h"

namespace murel {

/// Chromium's disk cache in its three backends (simple, blockfile, SQL), kept in the profile's
/// "Cache" folder; the SQL backend is read only by a build with SQLite.
CacheFormat ChromiumFormat();

}  // namespace murel

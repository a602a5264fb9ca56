// Writing a body that the cache keeps inside its own files to a file of its own.
#pragma once

#include <string>

#include "platform/platform.h"
#include "urlcache/cache_entry.h"

namespace murel {

/// Writes `body` (a range of a cache file) to `destination` through the platform's body writer,
/// in chunks of bounded size, and gives it the time the cache stored it. The destination is
/// replaced only by the whole body: on any failure (the cache file cannot be opened or is
/// shorter than the range, a write fails) nothing is left and the old file stays. False on
/// failure.
bool WriteStoredBody(Platform& platform, const StoredBody& body, const std::string& destination);

}  // namespace murel

// The answer to "--list-caches": the caches murel can read for the current user.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace murel {

/// A byte count as people read it: "512 B", "1.5 KB", "12.0 MB", "3.2 GB" (units of 1024).
std::string ReadableSize(std::uint64_t bytes);

/// Shows, in one box without icon, every cache that FindUserCaches finds, one line each: the
/// format, the number of entries, the size of its files and the path to give "-c" (the system's
/// own cache: "(without -c)"). Returns kExitOk when a cache is found, else kExitCacheUnopened
/// after a box that says so.
int ListCaches(Platform& platform);

}  // namespace murel

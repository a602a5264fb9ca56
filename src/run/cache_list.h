// The answer to "--list-caches": the caches murel can read for the current user.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "text/text_options.h"

namespace murel {

/// A byte count as people read it: "512 B", "1.5 KB", "12.0 MB", "3.2 GB" (units of 1024).
std::string ReadableSize(std::uint64_t bytes);

/// Shows, in one box without icon, every cache that ForEachUserCache finds, one line each: the
/// format (in a column as wide as the longest format name listed), the number of entries, the
/// size of its files and the path to give "-c" with its control bytes escaped
/// (EscapeControlBytes; the system's own cache: "(without -c)"). Each cache is open only while
/// its line is made. Returns kExitOk when a cache is found, else
/// kExitCacheUnopened after a box that says so. The caption and that box's text are in the run's
/// language.
int ListCaches(Platform& platform, const TextOptions& options);

}  // namespace murel

// Times of the web, in seconds since 1970, as the times of files.
#pragma once

#include <cstdint>

namespace murel {

/// Seconds since 1970-01-01 UTC as a FILETIME (100-nanosecond units since 1601-01-01 UTC).
std::uint64_t FileTimeOfUnixSeconds(std::int64_t seconds);

}  // namespace murel

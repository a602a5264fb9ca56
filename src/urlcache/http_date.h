// The time a stored HTTP response head says the response was sent.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace murel {

/// The time of the first Date header of `head` (lines ending in CR LF or LF, names compared
/// without regard to case), in seconds since 1970-01-01 UTC. The date must be in the form HTTP
/// prescribes, "Sun, 06 Nov 1994 08:49:37 GMT", with a year from 1970 to 9999; any other text
/// gives empty.
std::optional<std::int64_t> ResponseDate(std::string_view head);

/// Seconds since 1970-01-01 UTC as a FILETIME (100-nanosecond units since 1601-01-01 UTC).
std::uint64_t FileTimeOfUnixSeconds(std::int64_t seconds);

}  // namespace murel

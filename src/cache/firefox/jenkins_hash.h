// Bob Jenkins' 1996 hash ("lookup2"), with which Firefox's disk cache checks its metadata and the
// chunks of each body.
#pragma once

#include <cstddef>
#include <cstdint>

namespace murel {

/// The lookup2 hash of `size` bytes at `data` with initial value 0: 12-byte blocks read as three
/// little-endian words, the total length added before the last mix.
std::uint32_t JenkinsHash(const unsigned char* data, std::size_t size);

}  // namespace murel

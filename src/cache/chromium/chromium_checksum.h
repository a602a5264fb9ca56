// The checksums that Chromium's disk caches keep beside keys, records and streams.
#pragma once

#include <cstddef>
#include <cstdint>

namespace murel {

/// Paul Hsieh's SuperFastHash of `size` bytes, as Chromium computes it: the length is the seed,
/// and the one to three trailing bytes count as signed chars. Zero for no bytes.
std::uint32_t SuperFastHash(const unsigned char* data, std::size_t size);

/// The CRC-32 of zlib (IEEE polynomial, initial value 0) of `size` bytes; of the bytes that
/// gave `earlier` followed by these.
std::uint32_t Crc32(const unsigned char* data, std::size_t size, std::uint32_t earlier = 0);

}  // namespace murel

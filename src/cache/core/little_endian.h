// Little-endian numbers in the bytes of a cache file.
#pragma once

#include <cstdint>

namespace murel {

/// The unsigned 32-bit little-endian number at `bytes` (4 bytes are read).
inline std::uint32_t LoadU32(const unsigned char* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
         static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

/// The unsigned 64-bit little-endian number at `bytes` (8 bytes are read).
inline std::uint64_t LoadU64(const unsigned char* bytes) {
  return static_cast<std::uint64_t>(LoadU32(bytes)) | static_cast<std::uint64_t>(LoadU32(bytes + 4))
                                                          << 32;
}

}  // namespace murel

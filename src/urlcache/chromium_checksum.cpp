#include "urlcache/chromium_checksum.h"

#include <array>

namespace murel {
namespace {

std::uint32_t Get16(const unsigned char* data) {
  return static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8;
}

// A byte as Chromium's hash reads it: a signed char widened to 32 bits.
std::uint32_t Signed(unsigned char byte) {
  return static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(byte)));
}

std::array<std::uint32_t, 256> CrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}

}  // namespace

std::uint32_t SuperFastHash(const unsigned char* data, std::size_t size) {
  if (size == 0) return 0;
  auto hash = static_cast<std::uint32_t>(size);
  for (std::size_t words = size / 4; words > 0; --words, data += 4) {
    hash += Get16(data);
    const std::uint32_t tmp = (Get16(data + 2) << 11) ^ hash;
    hash = (hash << 16) ^ tmp;
    hash += hash >> 11;
  }
  switch (size % 4) {
    case 3:
      hash += Get16(data);
      hash ^= hash << 16;
      hash ^= Signed(data[2]) << 18;
      hash += hash >> 11;
      break;
    case 2:
      hash += Get16(data);
      hash ^= hash << 11;
      hash += hash >> 17;
      break;
    case 1:
      hash += Signed(data[0]);
      hash ^= hash << 10;
      hash += hash >> 1;
      break;
    default:
      break;
  }
  hash ^= hash << 3;
  hash += hash >> 5;
  hash ^= hash << 4;
  hash += hash >> 17;
  hash ^= hash << 25;
  hash += hash >> 6;
  return hash;
}

std::uint32_t Crc32(const unsigned char* data, std::size_t size) {
  static const std::array<std::uint32_t, 256> table = CrcTable();
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

}  // namespace murel

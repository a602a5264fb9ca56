#include "cache/chromium/chromium_checksum.h"

#include <zlib.h>

#include <algorithm>

namespace murel {
namespace {

std::uint32_t Get16(const unsigned char* data) {
  return static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8;
}

// A byte as Chromium's hash reads it: a signed char widened to 32 bits.
std::uint32_t Signed(unsigned char byte) {
  return static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(byte)));
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

std::uint32_t Crc32(const unsigned char* data, std::size_t size, std::uint32_t earlier) {
  // zlib takes a 32-bit length: a larger range goes in pieces.
  uLong crc = earlier;
  for (std::size_t done = 0; done < size;) {
    const auto piece = static_cast<uInt>(std::min<std::size_t>(size - done, 1u << 30));
    crc = crc32(crc, data + done, piece);
    done += piece;
  }
  return static_cast<std::uint32_t>(crc);
}

}  // namespace murel

#include "cache/firefox/jenkins_hash.h"

namespace murel {
namespace {

void Mix(std::uint32_t& a, std::uint32_t& b, std::uint32_t& c) {
  a -= b;
  a -= c;
  a ^= (c >> 13);
  b -= c;
  b -= a;
  b ^= (a << 8);
  c -= a;
  c -= b;
  c ^= (b >> 13);
  a -= b;
  a -= c;
  a ^= (c >> 12);
  b -= c;
  b -= a;
  b ^= (a << 16);
  c -= a;
  c -= b;
  c ^= (b >> 5);
  a -= b;
  a -= c;
  a ^= (c >> 3);
  b -= c;
  b -= a;
  b ^= (a << 10);
  c -= a;
  c -= b;
  c ^= (b >> 15);
}

std::uint32_t Word(const unsigned char* p) {
  return p[0] | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
         (std::uint32_t{p[3]} << 24);
}

// The 0 to 11 bytes after the last whole block, at their places in a, b and c (c's lowest byte
// holds the length).
void AddTail(const unsigned char* p, std::size_t left, std::uint32_t& a, std::uint32_t& b,
             std::uint32_t& c) {
  for (std::size_t i = 0; i < left; ++i) {
    const std::uint32_t byte = p[i];
    if (i < 4) {
      a += byte << (8 * i);
    } else if (i < 8) {
      b += byte << (8 * (i - 4));
    } else {
      c += byte << (8 * (i - 7));
    }
  }
}

}  // namespace

std::uint32_t JenkinsHash(const unsigned char* data, std::size_t size) {
  std::uint32_t a = 0x9E3779B9;
  std::uint32_t b = 0x9E3779B9;
  std::uint32_t c = 0;
  std::size_t left = size;
  for (; left >= 12; left -= 12, data += 12) {
    a += Word(data);
    b += Word(data + 4);
    c += Word(data + 8);
    Mix(a, b, c);
  }
  c += static_cast<std::uint32_t>(size);
  AddTail(data, left, a, b, c);
  Mix(a, b, c);
  return c;
}

}  // namespace murel

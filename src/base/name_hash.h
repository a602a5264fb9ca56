// A 64-bit hash of texts, for naming the files murel keeps for itself.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/ascii.h"

namespace murel {

/// FNV-1a over 64 bits, fed in pieces: the same bytes give the same value however they are cut.
/// Not made to resist crafted collisions; it tells apart what runs write, not what attackers do.
class NameHash {
 public:
  /// Adds `bytes` to the hash.
  void Add(std::string_view bytes) {
    for (const char c : bytes) {
      value_ ^= static_cast<unsigned char>(c);
      value_ *= kPrime;
    }
  }
  std::uint64_t Value() const { return value_; }
  /// The value as 16 lower-case hexadecimal digits, for a file name.
  std::string Hex() const { return HexDigits(value_); }

 private:
  static constexpr std::uint64_t kPrime = 0x100000001b3ull;
  std::uint64_t value_ = 0xcbf29ce484222325ull;
};

}  // namespace murel

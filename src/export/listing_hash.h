// The hash of a listing's bytes, fed as they are written or read.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The layout of xxHash's state, so that a hash holds its state and needs no allocation.
#define XXH_STATIC_LINKING_ONLY
#include <xxhash.h>

namespace murel {

/// XXH3 over 64 bits, fed in pieces: the same bytes give the same value however they are cut. A
/// listing of 10,000 entries is hashed twice in a re-run (read, then written), so the hash works
/// a block at a time rather than a byte. Not made to resist crafted collisions; it tells apart
/// what runs write, not what attackers do.
class ListingHash {
 public:
  ListingHash();

  /// Adds `bytes` to the hash.
  void Add(std::string_view bytes);
  std::uint64_t Value() const;
  /// The value as 16 lower-case hexadecimal digits.
  std::string Hex() const;

 private:
  XXH3_state_t state_;
};

}  // namespace murel

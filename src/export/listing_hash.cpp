#include "export/listing_hash.h"

namespace murel {

ListingHash::ListingHash() { XXH3_64bits_reset(&state_); }

void ListingHash::Add(std::string_view bytes) {
  XXH3_64bits_update(&state_, bytes.data(), bytes.size());
}

std::uint64_t ListingHash::Value() const { return XXH3_64bits_digest(&state_); }

std::string ListingHash::Hex() const {
  static constexpr char kDigits[] = "0123456789abcdef";
  const std::uint64_t value = Value();
  std::string hex(16, '0');
  for (int i = 0; i < 16; ++i) hex[15 - i] = kDigits[(value >> (4 * i)) & 0xF];
  return hex;
}

}  // namespace murel

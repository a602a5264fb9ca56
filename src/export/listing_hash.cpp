#include "export/listing_hash.h"

#include "base/ascii.h"

namespace murel {

ListingHash::ListingHash() { XXH3_64bits_reset(&state_); }

void ListingHash::Add(std::string_view bytes) {
  XXH3_64bits_update(&state_, bytes.data(), bytes.size());
}

std::uint64_t ListingHash::Value() const { return XXH3_64bits_digest(&state_); }

std::string ListingHash::Hex() const { return HexDigits(Value()); }

}  // namespace murel

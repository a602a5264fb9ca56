#include "cache/cachestorage/protobuf_reader.h"

namespace murel {
namespace {

enum WireType : std::uint64_t { kVarint = 0, kFixed64 = 1, kDelimited = 2, kFixed32 = 5 };

}  // namespace

bool ProtoReader::Varint(std::uint64_t& value) {
  value = 0;
  // Ten bytes of seven bits hold any 64-bit number; an eleventh is damage.
  for (int shift = 0; shift < 70 && !rest_.empty(); shift += 7) {
    const auto byte = static_cast<unsigned char>(rest_.front());
    rest_.remove_prefix(1);
    value |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
    if ((byte & 0x80) == 0) return true;
  }
  return false;
}

bool ProtoReader::Next(ProtoField& field) {
  if (damaged_ || rest_.empty()) return false;
  std::uint64_t tag = 0;
  if (!Varint(tag) || (tag >> 3) == 0 || (tag >> 3) > UINT32_MAX) return Fail();
  field = ProtoField{};
  field.number = static_cast<std::uint32_t>(tag >> 3);
  std::size_t fixed = 0;
  switch (tag & 7) {
    case kVarint:
      return Varint(field.value) || Fail();
    case kFixed64:
      fixed = 8;
      break;
    case kFixed32:
      fixed = 4;
      break;
    case kDelimited: {
      std::uint64_t size = 0;
      if (!Varint(size) || size > rest_.size()) return Fail();
      field.delimited = true;
      field.bytes = rest_.substr(0, static_cast<std::size_t>(size));
      rest_.remove_prefix(static_cast<std::size_t>(size));
      return true;
    }
    default:
      return Fail();
  }
  if (rest_.size() < fixed) return Fail();
  // Fixed-size fields are little-endian.
  for (std::size_t i = fixed; i > 0; --i) {
    field.value = (field.value << 8) | static_cast<unsigned char>(rest_[i - 1]);
  }
  rest_.remove_prefix(fixed);
  return true;
}

}  // namespace murel

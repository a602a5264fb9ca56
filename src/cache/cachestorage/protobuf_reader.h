// Reading the protocol buffers that Chromium keeps its CacheStorage metadata in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace murel {

/// One field of a protocol buffer message: its number and its value, a number (varint, 32-bit
/// and 64-bit fields) or the bytes of a length-delimited field.
struct ProtoField {
  std::uint32_t number = 0;
  bool delimited = false;   ///< True for a length-delimited field (a string, bytes, a message).
  std::uint64_t value = 0;  ///< The number, when the field is not length-delimited.
  std::string_view bytes;   ///< The field's bytes, when it is length-delimited.
};

/// Reads the fields of one message in the order they are written. Reads only inside the bytes it
/// is given, and nothing is allocated, so damaged input costs no more than its size. Groups (the
/// wire types 3 and 4, unused by Chromium) count as damage.
class ProtoReader {
 public:
  explicit ProtoReader(std::string_view message) : rest_(message) {}

  /// Takes the next field into `field`. False at the end of the message, and when the rest is
  /// damaged (a cut field, a varint over 10 bytes, a length past the end, field number 0, an
  /// unknown wire type); Damaged() tells which.
  bool Next(ProtoField& field);
  /// True once Next has met damage.
  bool Damaged() const { return damaged_; }

 private:
  bool Varint(std::uint64_t& value);
  bool Fail() {
    damaged_ = true;
    return false;
  }

  std::string_view rest_;
  bool damaged_ = false;
};

}  // namespace murel

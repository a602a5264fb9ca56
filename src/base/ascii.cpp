#include "base/ascii.h"

namespace murel {

bool EqualsNoCase(std::string_view text, std::string_view other) {
  if (text.size() != other.size()) return false;
  // Most texts compared here are equal byte for byte (a root and a path made from it). Those that
  // are not mostly part near their ends (paths below one root, the lines of a listing), so the
  // bytes are compared from the end.
  if (text == other) return true;
  for (std::size_t i = text.size(); i > 0; --i) {
    if (AsciiUpper(text[i - 1]) != AsciiUpper(other[i - 1])) return false;
  }
  return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

bool HoldsAnyOf(std::string_view text, std::string_view bytes) {
  for (const char c : bytes) {
    if (text.find(c) != std::string_view::npos) return true;
  }
  return false;
}

bool IsHexDigits(std::string_view text, bool upperToo) {
  // Every byte is looked at, with no early end and in bytes, so that the compiler takes sixteen
  // at a step. Folding in the case bit maps "A" to "F" on "a" to "f" and leaves digits as they are.
  const unsigned char fold = upperToo ? 0x20 : 0;
  unsigned char other = 0;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    const auto digit = static_cast<unsigned char>(byte - '0');
    const auto letter = static_cast<unsigned char>((byte | fold) - 'a');
    other |= static_cast<unsigned char>((digit > 9) & (letter > 5));
  }
  return other == 0;
}

std::string HexDigits(std::uint64_t value) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex(16, '0');
  for (int i = 0; i < 16; ++i) hex[15 - i] = kDigits[(value >> (4 * i)) & 0xF];
  return hex;
}

}  // namespace murel

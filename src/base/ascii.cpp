#include "base/ascii.h"

namespace murel {

bool EqualsNoCase(std::string_view text, std::string_view other) {
  if (text.size() != other.size()) return false;
  // Most texts compared here are equal byte for byte (a root and a path made from it).
  if (text == other) return true;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (AsciiUpper(text[i]) != AsciiUpper(other[i])) return false;
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

}  // namespace murel

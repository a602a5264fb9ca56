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

}  // namespace murel

#include "text/control_escape.h"

namespace murel {

std::string EscapeControlBytes(std::string_view text) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F) {
      out += c;
      continue;
    }
    out += "\\x";
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0xF];
  }
  return out;
}

}  // namespace murel

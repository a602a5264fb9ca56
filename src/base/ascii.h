// Comparisons of 8-bit texts that ignore the case of ASCII letters only, as the program compares
// URL prefixes and Windows compares names; other bytes (any code page) compare as they are. And a
// search for a few bytes in a text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace murel {

/// `c` with an ASCII lower-case letter turned into upper case; every other byte unchanged.
/// Inline: it runs for every byte of every path a run compares.
inline char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

/// True if `text` and `other` are equal without regard to the case of ASCII letters.
bool EqualsNoCase(std::string_view text, std::string_view other);

/// True if `text` begins with `prefix`, compared without regard to the case of ASCII letters.
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

/// True if `text` holds any byte of `bytes`. One scan of `text` for each of the few bytes asked
/// for, where find_first_of looks every byte of `text` up in `bytes` one call at a time.
bool HoldsAnyOf(std::string_view text, std::string_view bytes);

/// True if every byte of `text` is a hexadecimal digit: "0" to "9", "a" to "f", and "A" to "F"
/// when `upperToo`. Cache folders name their entry files so, ten thousand of them and more.
bool IsHexDigits(std::string_view text, bool upperToo);

/// `value` as 16 lower-case hexadecimal digits, the highest first.
std::string HexDigits(std::uint64_t value);

}  // namespace murel

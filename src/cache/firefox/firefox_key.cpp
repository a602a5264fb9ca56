#include "cache/firefox/firefox_key.h"

#include "cache/core/entry_url.h"

namespace murel {
namespace {

// The place just past the ',' that closes the tag beginning at `start`; npos when it has none.
std::size_t EndOfTag(std::string_view key, std::size_t start) {
  // The flags "a" (anonymous), "p" (private) and "b" take no value: Firefox refuses a key that
  // gives them one.
  const char letter = key[start];
  if (letter == 'a' || letter == 'p' || letter == 'b') {
    return start + 1 < key.size() && key[start + 1] == ',' ? start + 2 : std::string_view::npos;
  }
  // Any other tag is one character with a value that runs to a single ','.
  for (std::size_t i = start + 1; i < key.size(); ++i) {
    if (key[i] != ',') continue;
    if (i + 1 < key.size() && key[i + 1] == ',') {
      ++i;  // a doubled comma belongs to the value
      continue;
    }
    return i + 1;
  }
  return std::string_view::npos;
}

}  // namespace

std::optional<std::string_view> UrlOfFirefoxKey(std::string_view key) {
  std::size_t at = 0;
  while (at < key.size() && key[at] != ':') {
    at = EndOfTag(key, at);
    if (at == std::string_view::npos) return std::nullopt;
  }
  if (at == key.size()) return std::nullopt;
  const std::string_view url = key.substr(at + 1);
  if (!HasScheme(url)) return std::nullopt;
  return url;
}

}  // namespace murel

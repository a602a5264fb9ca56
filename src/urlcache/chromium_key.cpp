#include "urlcache/chromium_key.h"

#include <cctype>

namespace murel {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The length of "<digits>/" (a "-" before the digits if `signedNumber`) at the start of
// `text`; 0 if it does not start so.
std::size_t NumberAndSlash(std::string_view text, bool signedNumber) {
  std::size_t at = signedNumber && !text.empty() && text[0] == '-' ? 1 : 0;
  const std::size_t first = at;
  while (at < text.size() && IsDigit(text[at])) ++at;
  return at > first && at < text.size() && text[at] == '/' ? at + 1 : 0;
}

bool DropPrefix(std::string_view& text, std::string_view prefix) {
  if (text.substr(0, prefix.size()) != prefix) return false;
  text.remove_prefix(prefix.size());
  return true;
}

// A URL starts with a scheme ("http:") and has no blank or control character.
bool LooksLikeUrl(std::string_view url) {
  const std::size_t colon = url.find(':');
  if (colon == 0 || colon == std::string_view::npos) return false;
  for (std::size_t i = 0; i < colon; ++i) {
    const char c = url[i];
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.')
      return false;
  }
  for (const char c : url) {
    if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F) return false;
  }
  return std::isalpha(static_cast<unsigned char>(url[0])) != 0;
}

}  // namespace

std::optional<std::string> UrlOfCacheKey(std::string_view key) {
  if (key.substr(0, 6) == "Range_" || key.substr(0, 4) == "_key") return std::nullopt;
  // "<credentials>/<upload id>/" today, "<upload id>/" before it.
  if (const std::size_t first = NumberAndSlash(key, false)) {
    key.remove_prefix(first);
    key.remove_prefix(NumberAndSlash(key, true));
  }
  if (DropPrefix(key, "_dk_")) {
    DropPrefix(key, "s_");
    DropPrefix(key, "cn_");
  }
  const std::size_t blank = key.rfind(' ');
  if (blank != std::string_view::npos) key.remove_prefix(blank + 1);
  if (!LooksLikeUrl(key)) return std::nullopt;
  return std::string(key);
}

}  // namespace murel

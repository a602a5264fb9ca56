#include "cache/chromium/chromium_key.h"

#include "cache/core/entry_url.h"

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

}  // namespace

std::optional<std::string> UrlOfCacheKey(std::string_view key) {
  if (key.substr(0, 6) == "Range_" || key.substr(0, 4) == "_key") return std::nullopt;
  // "<credentials>/<upload id>/" today, "<upload id>/" before it, which only an upload had. The
  // answer to an upload (a form POST) answers that one request: only a GET's, id 0, is the
  // resource at the URL.
  if (const std::size_t first = NumberAndSlash(key, false)) {
    std::string_view upload = key.substr(0, first - 1);
    key.remove_prefix(first);
    if (const std::size_t second = NumberAndSlash(key, true)) {
      upload = key.substr(0, second - 1);
      key.remove_prefix(second);
    }
    if (upload != "0") return std::nullopt;
  }
  if (DropPrefix(key, "_dk_")) {
    DropPrefix(key, "s_");
    DropPrefix(key, "cn_");
  }
  // Sites hold no blank, so the URL is the text after the last one.
  const std::size_t blank = key.rfind(' ');
  if (blank != std::string_view::npos) key.remove_prefix(blank + 1);
  if (!HasScheme(key)) return std::nullopt;
  return std::string(key);
}

}  // namespace murel

// A profile-text reader that answers as the Windows profile functions do. The finer choices (how
// duplicate sections, quotes and comment lines are treated) are each made in one small function
// below, so that a comparison against the real functions can adjust them one at a time.

#include "platform/profile_text.h"

#include <optional>

namespace murel {
namespace {

// GetPrivateProfileStringA is called with a 500-character buffer: 499 characters and the NUL.
constexpr std::size_t kValueLimit = 499;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

// Splits the text into lines; "\r\n" ends a line like "\n" because the trailing "\r" is a blank
// and every line is trimmed.
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    if (end == std::string_view::npos) end = text.size();
    lines.push_back(Trim(text.substr(0, end)));
    text.remove_prefix(end == text.size() ? end : end + 1);
  }
  return lines;
}

// The name of a section header "[name]" (the text up to the last "]", blanks inside removed);
// nothing if the trimmed line is not a header. A "[" without "]" is an ordinary entry, and text
// after the "]" is ignored, as the Windows reader does.
std::optional<std::string_view> SectionName(std::string_view line) {
  if (line.empty() || line.front() != '[') return std::nullopt;
  std::size_t close = line.rfind(']');
  if (close == std::string_view::npos) return std::nullopt;
  return Trim(line.substr(1, close - 1));
}

// Comment lines are kept out of the section list and cannot be looked up as keys.
bool IsEntry(std::string_view line) { return !line.empty() && line.front() != ';'; }

// The lines of the first section named `section`. Windows and Wine both stop at the first
// section of that name; later sections of the same name are not read.
std::vector<std::string_view> SectionLines(std::string_view text, std::string_view section) {
  std::vector<std::string_view> result;
  bool inside = false;
  for (std::string_view line : Lines(text)) {
    if (std::optional<std::string_view> name = SectionName(line)) {
      if (inside) break;
      inside = EqualNoCase(*name, section);
    } else if (inside && IsEntry(line)) {
      result.push_back(line);
    }
  }
  return result;
}

// An entry as the section reader gives it: blanks around the first "=" removed.
std::string NormalEntry(std::string_view line) {
  std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return std::string(line);
  std::string entry(Trim(line.substr(0, eq)));
  entry += '=';
  entry += Trim(line.substr(eq + 1));
  return entry;
}

// A value wrapped in a pair of equal quotes (double or single, as the Windows reader documents)
// loses them; a lone quote stays.
std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

}  // namespace

std::vector<std::string> ProfileSection(std::string_view text, std::string_view section,
                                        std::size_t capacity) {
  std::vector<std::string> entries;
  // The buffer holds each entry with its NUL, then the NUL that ends the list.
  std::size_t used = 1;
  for (std::string_view line : SectionLines(text, section)) {
    std::string entry = NormalEntry(line);
    if (used + entry.size() + 1 > capacity) break;
    used += entry.size() + 1;
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::string ProfileString(std::string_view text, std::string_view section, std::string_view key) {
  // The key reader ignores blanks around the asked section name; the section reader does not.
  for (std::string_view line : SectionLines(text, Trim(section))) {
    std::size_t eq = line.find('=');
    if (eq == std::string_view::npos || !EqualNoCase(Trim(line.substr(0, eq)), Trim(key))) {
      continue;
    }
    // The first of two equal keys counts.
    return std::string(Unquote(Trim(line.substr(eq + 1))).substr(0, kValueLimit));
  }
  return std::string();
}

}  // namespace murel

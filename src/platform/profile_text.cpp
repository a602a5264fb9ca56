// A profile-text reader that answers as the Windows profile functions do. The finer choices (how
// duplicate sections, quotes and comment lines are treated) are each made in one small function
// below, so that a comparison against the real functions can adjust them one at a time.

#include "platform/profile_text.h"

#include <algorithm>
#include <optional>

namespace murel {
namespace {

// GetPrivateProfileStringA is called with a 500-character buffer: 499 characters and the NUL.
constexpr std::size_t kValueLimit = 499;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// Trimming also takes the "\r" of a CR LF line end.
std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string Folded(std::string_view s) {
  std::string folded(s);
  for (char& c : folded) c = FoldAscii(c);
  return folded;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
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

SectionScan::Line SectionScan::Next(std::string_view trimmed) {
  if (std::optional<std::string_view> name = SectionName(trimmed)) {
    // Windows and Wine both stop at the first section of the name; later ones are not read.
    if (inside_) return Line::kEnded;
    inside_ = EqualNoCase(*name, section_);
    return Line::kOther;
  }
  return inside_ && IsEntry(trimmed) ? Line::kEntry : Line::kOther;
}

bool SectionEntries::TakeLine(std::string_view line) {
  const std::string_view trimmed = Trim(line);
  const SectionScan::Line kind = scan_.Next(trimmed);
  if (kind == SectionScan::Line::kEnded) return false;
  if (kind == SectionScan::Line::kOther) return true;
  std::string entry = NormalEntry(trimmed);
  if (used_ + entry.size() + 1 > capacity_) return false;
  used_ += entry.size() + 1;
  entries_.push_back(std::move(entry));
  return true;
}

SectionValues::SectionValues(std::string_view section, const std::vector<std::string>& keys)
    // The key reader ignores blanks around the asked section name; the section reader does not.
    : scan_(Trim(section)) {
  for (const std::string& key : keys) {
    folded_.push_back(Folded(Trim(key)));
    longestKey_ = std::max(longestKey_, folded_.back().size());
    if (slots_.emplace(folded_.back(), Slot()).second) ++missing_;
  }
}

bool SectionValues::TakeLine(std::string_view line) {
  if (missing_ == 0) return false;
  const std::string_view trimmed = Trim(line);
  const SectionScan::Line kind = scan_.Next(trimmed);
  if (kind == SectionScan::Line::kEnded) return false;
  const std::size_t eq = trimmed.find('=');
  if (kind == SectionScan::Line::kOther || eq == std::string_view::npos) return true;
  const std::string_view key = Trim(trimmed.substr(0, eq));
  if (key.size() > longestKey_) return true;
  const auto slot = slots_.find(Folded(key));
  // The first of two equal keys counts.
  if (slot == slots_.end() || slot->second.found) return true;
  slot->second.found = true;
  slot->second.value = std::string(Unquote(Trim(trimmed.substr(eq + 1))).substr(0, kValueLimit));
  return --missing_ > 0;
}

std::vector<std::string> SectionValues::Values() const {
  std::vector<std::string> values;
  for (const std::string& key : folded_) values.push_back(slots_.at(key).value);
  return values;
}

std::vector<std::string> ProfileSection(std::string_view text, std::string_view section,
                                        std::size_t capacity) {
  SectionEntries reader(section, capacity);
  ReadProfileText(text, reader);
  return reader.TakeEntries();
}

std::vector<std::string> ProfileStrings(std::string_view text, std::string_view section,
                                        const std::vector<std::string>& keys) {
  SectionValues reader(section, keys);
  ReadProfileText(text, reader);
  return reader.Values();
}

}  // namespace murel

#include "rules/rule_set.h"

#include <cstring>
#include <string_view>

namespace murel {
namespace {

constexpr std::string_view kSpaceToken = "{space}";
constexpr std::string_view kEmptyToken = "{empty}";

// The longest path the rules may leave: the path buffer holds its text and an end mark.
constexpr std::size_t kMaxRuledPathLength = kPathBufferSize - 1;

// Entries of a group: two free texts, then the four texts of the rule.
constexpr std::size_t kGroupSize = 6;
constexpr std::size_t kPrimarySearchEntry = 2;

// Replaces the first `token` in `text` with `by`; false when there is none.
bool ReplaceFirst(std::string& text, std::string_view token, std::string_view by) {
  const std::size_t at = text.find(token);
  if (at == std::string::npos) return false;
  text.replace(at, token.size(), by);
  return true;
}

// Entry `index` of `entries` after token expansion, or the empty text past the end (a short
// last group leaves its trailing texts empty).
std::string EntryOrEmpty(const std::vector<std::string>& entries, std::size_t index) {
  return index < entries.size() ? ExpandTokens(entries[index]) : std::string();
}

// The first place at or after `from` where `search` (not empty) occurs in `path`; npos when none
// does. The searches of rules begin with bytes that a path holds many of ("/", "\\", "."): the
// standard search calls memcmp at each of them, this compares the rest of the search in place.
std::size_t FindFrom(const std::string& path, const std::string& search, std::size_t from) {
  const std::size_t size = search.size();
  const char* const begin = path.data();
  const char* const end = begin + path.size();
  // memchr itself, not the string's find, which the library does not inline.
  for (const char* at = from < path.size() ? begin + from : end;
       (at = static_cast<const char*>(std::memchr(at, search[0], end - at))) != nullptr; ++at) {
    if (static_cast<std::size_t>(end - at) < size) return std::string::npos;
    std::size_t same = 1;
    while (same < size && at[same] == search[same]) ++same;
    if (same == size) return at - begin;
  }
  return std::string::npos;
}

// Replaces `length` characters at `at` by `by` unless the path would then be too long.
bool ReplaceWithin(std::string& path, std::size_t at, std::size_t length, const std::string& by) {
  if (path.size() - length + by.size() > kMaxRuledPathLength) return false;
  // Most rules put one byte for one: written in place, with nothing to move.
  if (length == by.size()) {
    std::memcpy(&path[at], by.data(), length);
  } else {
    path.replace(at, length, by);
  }
  return true;
}

// One replacement of `rule` on the first match, which is at `at`: the primary replacement, then
// the secondary one from the start of the primary replacement onwards. False, with the path as
// it was, when either would make the path too long.
bool ReplaceOnce(std::string& path, const Rule& rule, std::size_t at) {
  if (!ReplaceWithin(path, at, rule.primarySearch.size(), rule.primaryReplacement)) return false;
  if (rule.secondarySearch.empty()) return true;
  const std::size_t second = FindFrom(path, rule.secondarySearch, at);
  if (second == std::string::npos) return true;
  if (!ReplaceWithin(path, second, rule.secondarySearch.size(), rule.secondaryReplacement)) {
    path.replace(at, rule.primaryReplacement.size(), rule.primarySearch);
    return false;
  }
  return true;
}

void Spend(std::size_t& budget, std::size_t work) { budget -= work < budget ? work : budget; }

static_assert(kMaxRuledPathLength < kMaxReplacementsPerRule);

// Applies a rule that puts one byte for another, with no secondary search, as ApplyRule would:
// no replacement makes a new match, so each occurrence is replaced in turn from where the last one
// was, in one pass, and the work is counted as ApplyRule counts it. Most rules of a real rule set
// are such; a path holds several "/" and ":". A path within bounds holds fewer bytes than a rule
// may replace, so the cap of replacements is never met. False when the budget ran out.
bool ApplyByteRule(std::string& path, char search, char by, std::size_t& budget) {
  char* const begin = &path[0];
  const std::size_t size = path.size();
  for (std::size_t from = 0;;) {
    if (budget == 0) return false;
    char* const hit = static_cast<char*>(std::memchr(begin + from, search, size - from));
    if (hit == nullptr) {
      Spend(budget, size - from);
      return true;
    }
    const auto at = static_cast<std::size_t>(hit - begin);
    *hit = by;
    Spend(budget, at + 1 - from);
    Spend(budget, 2 * (size - at));
    from = at;
  }
}

// Applies one rule until its primary search no longer occurs, or one of the bounds is met.
// `budget` is the work left for the rule set on this path, in characters scanned and moved; no
// step starts once it is spent (one step does at most a few times the path's length). False when
// the budget ran out.
bool ApplyRule(std::string& path, const Rule& rule, std::size_t& budget) {
  const std::size_t searchLength = rule.primarySearch.size();
  if (searchLength == 0) return true;
  // A path already too long takes no replacement at all, which the general loop below keeps to.
  if (searchLength == 1 && rule.primaryReplacement.size() == 1 && rule.secondarySearch.empty() &&
      rule.primarySearch[0] != rule.primaryReplacement[0] && path.size() <= kMaxRuledPathLength) {
    return ApplyByteRule(path, rule.primarySearch[0], rule.primaryReplacement[0], budget);
  }
  // Every search starts again from the beginning of the path. Text before the last match is
  // unchanged and held no match, so a new first match can begin at most searchLength - 1
  // characters before it; starting there finds the same match without rescanning the whole path.
  std::size_t from = 0;
  for (std::size_t count = 0; count < kMaxReplacementsPerRule; ++count) {
    if (budget == 0) return false;
    const std::size_t at = FindFrom(path, rule.primarySearch, from);
    Spend(budget, (at == std::string::npos ? path.size() : at + searchLength) - from);
    if (at == std::string::npos || !ReplaceOnce(path, rule, at)) return true;
    // The replacements moved the tail, and the secondary one scanned it.
    Spend(budget, 2 * (path.size() - at));
    from = at >= searchLength - 1 ? at - (searchLength - 1) : 0;
  }
  return true;
}

}  // namespace

std::string ExpandTokens(std::string text) {
  // Both tokens are tried in every pass, and passes repeat until neither is found, so a token
  // that comes into being when "{empty}" is removed is expanded too. Every change shortens the
  // text, so the passes end.
  bool changed = true;
  while (changed) {
    const bool spaced = ReplaceFirst(text, kSpaceToken, " ");
    const bool emptied = ReplaceFirst(text, kEmptyToken, "");
    changed = spaced || emptied;
  }
  return text;
}

void LoadRuleSet(const std::vector<std::string>& entries, RuleSet& set) {
  // A group gives a rule once it reaches its primary replacement (its fourth entry).
  for (std::size_t group = 0; group + kPrimarySearchEntry + 1 < entries.size();
       group += kGroupSize) {
    Rule rule;
    rule.primarySearch = ExpandTokens(entries[group + kPrimarySearchEntry]);
    rule.primaryReplacement = ExpandTokens(entries[group + kPrimarySearchEntry + 1]);
    rule.secondarySearch = EntryOrEmpty(entries, group + kPrimarySearchEntry + 2);
    rule.secondaryReplacement = EntryOrEmpty(entries, group + kPrimarySearchEntry + 3);
    // An empty search matches everywhere, every time: such a rule would never end.
    if (!rule.primarySearch.empty()) set.rules.push_back(std::move(rule));
  }
}

void ApplyRules(std::string& path, const RuleSet& set) {
  std::size_t budget = kRuleWorkPerPath;
  for (const Rule& rule : set.rules) {
    if (!ApplyRule(path, rule, budget)) return;
  }
}

}  // namespace murel

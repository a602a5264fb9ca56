// Search-and-replace rules that turn a URL, appended to the export root, into a file path.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base/buffer_limits.h"

namespace murel {

/// The most replacements one rule makes on one path before it gives up. A rule that shortens the
/// path makes fewer replacements than the path has characters, and one that never brings its own
/// search text back makes one per occurrence; either way a path within its 2000-character buffer
/// needs at most about 2000. Five times that leaves room for any real rule set, while a rule that
/// reproduces its own search text (":" to ":") still ends after a few milliseconds.
constexpr std::size_t kMaxReplacementsPerRule = 10000;

/// The work the whole rule set may do on one path, in characters scanned and moved: about a
/// millisecond. Real rule sets of a few dozen rules need a thousandth of it on the longest path;
/// a rule file of tens of thousands of rules, or of rules that keep matching, is cut off here
/// instead of costing minutes per entry.
constexpr std::size_t kRuleWorkPerPath = std::size_t{4} << 20;

/// One rule: the primary search is replaced by the primary replacement; then, if the secondary
/// search is not empty, its first occurrence at or after the start of that replacement is replaced
/// by the secondary replacement. Matching is case-sensitive.
struct Rule {
  std::string primarySearch;
  std::string primaryReplacement;
  std::string secondarySearch;
  std::string secondaryReplacement;
};

/// The rules of one configuration section, in section order.
struct RuleSet {
  std::vector<Rule> rules;
};

/// `text` with every "{space}" replaced by one blank and every "{empty}" removed, repeated until
/// a pass changes nothing (so a token formed by a removal is expanded too).
std::string ExpandTokens(std::string text);

/// Appends the rules of a section's entries (groups of six: two skipped, then primary search,
/// primary replacement, secondary search, secondary replacement) to `set`. A short last group
/// gives a rule when it reaches its primary replacement; a rule whose primary search is empty after
/// expansion is not loaded, as it would match without end.
void LoadRuleSet(const std::vector<std::string>& entries, RuleSet& set);

/// Rewrites `path` in place with each rule in order, each applied until its primary search no
/// longer occurs anywhere in the path (the search restarts from the beginning after every
/// replacement). One rule stops early after kMaxReplacementsPerRule replacements (a primary
/// replacement with its secondary one counts as one), or before a replacement that would leave
/// the path too long for its kPathBufferSize-character buffer (more than kPathBufferSize - 1
/// characters); the path as it stands then goes on to the next rule. When the rules together have
/// done kRuleWorkPerPath of work, the remaining rules are not applied.
void ApplyRules(std::string& path, const RuleSet& set);

}  // namespace murel

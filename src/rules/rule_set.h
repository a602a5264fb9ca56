// Search-and-replace rules that turn a URL, appended to the export root, into a file path.
#pragma once

#include <string>
#include <vector>

namespace murel {

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
/// longer occurs. One rule stops early after kMaxReplacementsPerRule replacements, or when the path
/// would pass kPathBufferSize characters; the path as it stands then goes on to the next rule.
void ApplyRules(std::string& path, const RuleSet& set);

}  // namespace murel

#include "rules/rule_set.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "run/run_settings.h"

namespace murel {
namespace {

using Entries = std::vector<std::string>;
using Rules = std::vector<Rule>;

// Rules as comparable, printable texts.
std::vector<std::string> Texts(const Rules& rules) {
  std::vector<std::string> texts;
  for (const Rule& rule : rules) {
    texts.push_back(rule.primarySearch + " -> " + rule.primaryReplacement + " | " +
                    rule.secondarySearch + " -> " + rule.secondaryReplacement);
  }
  return texts;
}

TEST(ExpandTokensTest, ExpandsUntilNothingChanges) {
  struct Case {
    std::string text;
    std::string expanded;
  };
  const std::vector<Case> cases = {
      {"plain", "plain"},
      {"{space}x{space}", " x "},
      {"{empty}", ""},
      {"a{empty}b{empty}c", "abc"},
      {"{sp{empty}ace}", " "},   // a token formed by a removal
      {"{{empty}empty}x", "x"},  // "{empty}" formed by a removal
      {"{space}{space}{space}", "   "},
      {"{Space}{EMPTY}", "{Space}{EMPTY}"},  // tokens are case-sensitive
      {"{space", "{space"},
  };
  for (const Case& c : cases) EXPECT_EQ(ExpandTokens(c.text), c.expanded) << c.text;
}

TEST(LoadRuleSetTest, ReadsGroupsOfSix) {
  struct Case {
    const char* name;
    Entries entries;
    Rules rules;
  };
  const std::vector<Case> cases = {
      {"empty section", {}, {}},
      {"one entry", {"n"}, {}},
      {"two entries", {"n", "d"}, {}},
      {"three entries: search only", {"n", "d", "a"}, {}},
      {"four entries", {"n", "d", "a", "b"}, {{"a", "b", "", ""}}},
      {"five entries", {"n", "d", "a", "b", "c"}, {{"a", "b", "c", ""}}},
      {"six entries", {"n", "d", "a", "b", "c", "e"}, {{"a", "b", "c", "e"}}},
      {"seven entries", {"n", "d", "a", "b", "c", "e", "n2"}, {{"a", "b", "c", "e"}}},
      {"nine entries: second group has its search only",
       {"n", "d", "a", "b", "c", "e", "n2", "d2", "x"},
       {{"a", "b", "c", "e"}}},
      {"ten entries",
       {"n", "d", "a", "b", "c", "e", "n2", "d2", "x", "y"},
       {{"a", "b", "c", "e"}, {"x", "y", "", ""}}},
      {"tokens expanded in all four texts, not in the free texts",
       {"{space}", "{empty}", "{space}x{space}", "{empty}", "a{space}", "{space}b"},
       {{" x ", "", "a ", " b"}}},
      {"empty primary search is not loaded, the next rule is",
       {"n", "d", "{empty}", "b", "", "", "n2", "d2", "x", "y"},
       {{"x", "y", "", ""}}},
  };
  for (const Case& c : cases) {
    RuleSet set;
    LoadRuleSet(c.entries, set);
    EXPECT_EQ(Texts(set.rules), Texts(c.rules)) << c.name;
  }
}

TEST(LoadRuleSetTest, AppendsToTheSet) {
  RuleSet set;
  LoadRuleSet({"n", "d", "a", "b"}, set);
  LoadRuleSet({"n", "d", "c", "e"}, set);
  EXPECT_EQ(Texts(set.rules), Texts({{"a", "b", "", ""}, {"c", "e", "", ""}}));
}

TEST(ApplyRulesTest, RewritesWithEachRuleInTurn) {
  struct Case {
    const char* name;
    Rules rules;
    std::string path;
    std::string result;
  };
  const std::vector<Case> cases = {
      {"no rules", {}, "C:\\out\\http://h/", "C:\\out\\http://h/"},
      {"no match", {{"x", "y", "", ""}}, "abc", "abc"},
      {"every occurrence", {{"/", "\\", "", ""}}, "a/b/c/", "a\\b\\c\\"},
      {"restart from the beginning", {{"//", "/", "", ""}}, "a////b", "a/b"},
      {"match formed before the last one", {{"ab", "b", "", ""}}, "aaab", "b"},
      {"case-sensitive", {{"Http", "x", "", ""}}, "http Http", "http x"},
      {"rules in order, never run again", {{"a", "b", "", ""}, {"b", "a", "", ""}}, "ab", "aa"},
      {"secondary after the primary match", {{"?", "@", "=", "-"}}, "p?a=1", "p@a-1"},
      {"secondary only before the primary match is left", {{"?", "@", "=", "-"}}, "a=1?b", "a=1@b"},
      {"secondary finds the replacement's own text", {{"x", "yz", "y", "Y"}}, "axb", "aYzb"},
      {"secondary replaced once per primary match",
       {{"?", "@", "=", "-"}},
       "?a=1=2?b=3",
       "@a-1=2@b-3"},
      {"replacement longer than the search", {{"a", "bcd", "", ""}}, "xax", "xbcdx"},
      {"empty replacement", {{"ab", "", "", ""}}, "aabb", ""},
  };
  for (const Case& c : cases) {
    std::string path = c.path;
    ApplyRules(path, RuleSet{c.rules});
    EXPECT_EQ(path, c.result) << c.name;
  }
}

// Counts the pairs "b before a" left, each of which the rule "ab" -> "ba" removes by one swap.
std::size_t UnsortedPairs(const std::string& text) {
  std::size_t pairs = 0;
  std::size_t seenA = 0;
  for (char c : text) {
    if (c == 'a') ++seenA;
    if (c == 'b') pairs += seenA;
  }
  return pairs;
}

TEST(ApplyRulesTest, StopsAfterTheReplacementBound) {
  // "ab" -> "ba" sorts k a's before k b's with exactly k*k replacements: 99*99 stays below the
  // bound and finishes, 101*101 passes it and is left exactly kMaxReplacementsPerRule short.
  const RuleSet swap{{{"ab", "ba", "", ""}}};
  std::string small = std::string(99, 'a') + std::string(99, 'b');
  ApplyRules(small, swap);
  EXPECT_EQ(small, std::string(99, 'b') + std::string(99, 'a'));

  std::string large = std::string(101, 'a') + std::string(101, 'b');
  ApplyRules(large, swap);
  EXPECT_EQ(UnsortedPairs(large), 101u * 101u - kMaxReplacementsPerRule);
}

TEST(ApplyRulesTest, RulesThatBringTheirSearchBackEnd) {
  struct Case {
    const char* name;
    Rules rules;
    std::string path;
    std::string result;
  };
  const std::size_t maxLength = kPathBufferSize - 1;
  const std::vector<Case> cases = {
      {"same text back, then the next rule runs",
       {{":", ":", "", ""}, {":", "_", "", ""}},
       "C:\\out\\http://h",
       "C_\\out\\http_//h"},
      {"secondary brings it back", {{"a", "b", "b", "a"}}, "xa", "xa"},
      {"growth stops at the path buffer", {{"a", "aa", "", ""}}, "a", std::string(maxLength, 'a')},
      {"growth by the secondary stops at the path buffer, whole step undone",
       {{"a", "ca", "c", "cc"}},
       "aa",
       std::string(maxLength - 3, 'c') + "aa"},
      {"growth two at a time stops one short",
       {{"x", "xyy", "", ""}},
       std::string(maxLength - 4, '-') + "x",
       std::string(maxLength - 4, '-') + "xyy"},
  };
  for (const Case& c : cases) {
    std::string path = c.path;
    ApplyRules(path, RuleSet{c.rules});
    EXPECT_EQ(path, c.result) << c.name;
  }
}

TEST(ApplyRulesTest, TheWholeSetsWorkOnOnePathIsBounded) {
  // Forty thousand rules that bring their own search back, on the longest path: each alone would
  // run to its replacement bound over the whole path, hours for the set. The set stops at its
  // work budget within milliseconds, and the rules after that point are not applied.
  RuleSet many;
  many.rules.assign(40000, Rule{"/", "/", "", ""});
  many.rules.push_back(Rule{"x", "y", "", ""});
  std::string path = "x" + std::string(kPathBufferSize - 2, '/');
  const auto start = std::chrono::steady_clock::now();
  ApplyRules(path, many);
  const auto spent = std::chrono::steady_clock::now() - start;
  EXPECT_LT(spent, std::chrono::seconds(1));
  EXPECT_EQ(path[0], 'x');
}

// `set` with a secondary search that never matches ("\x01") added to every rule that has none:
// such rules take the general loop, and do exactly what the originals do.
RuleSet WithUnmatchedSecondary(RuleSet set) {
  for (Rule& rule : set.rules) {
    if (rule.secondarySearch.empty()) rule.secondarySearch = rule.secondaryReplacement = "\x01";
  }
  return set;
}

TEST(ApplyRulesTest, ByteForByteRulesDoWhatTheGeneralLoopDoes) {
  // Random rule sets over a small alphabet, so that rules match often and feed each other; the
  // rules that put one byte for another take a pass of their own, which must change the path as
  // the general loop does, and spend the same work.
  std::mt19937 random(20261210);
  const std::string alphabet = "a/:";
  const auto text = [&](std::size_t most) {
    std::string t(std::uniform_int_distribution<std::size_t>(0, most)(random), ' ');
    for (char& c : t) c = alphabet[random() % alphabet.size()];
    return t;
  };
  for (int round = 0; round < 3000; ++round) {
    RuleSet set;
    for (std::size_t n = 1 + random() % 4; n > 0; --n) {
      Rule rule{text(2), text(2), "", ""};
      if (rule.primarySearch.empty()) rule.primarySearch = "/";
      if (random() % 4 == 0) rule.secondarySearch = text(1), rule.secondaryReplacement = text(2);
      set.rules.push_back(rule);
    }
    const std::string start = text(60);
    std::string fast = start;
    std::string general = start;
    ApplyRules(fast, set);
    ApplyRules(general, WithUnmatchedSecondary(set));
    ASSERT_EQ(fast, general) << "path " << start << ", rules "
                             << testing::PrintToString(Texts(set.rules));
  }
  // On the longest path of "/", a byte rule spends nearly the set's budget, so the second stops
  // part way: both stop at the same byte, and the rule after is not applied.
  const RuleSet slashes{{{"/", "\\", "", ""}, {"\\", "/", "", ""}, {"x", "y", "", ""}}};
  std::string fast = std::string(kPathBufferSize - 2, '/') + "x";
  std::string general = fast;
  ApplyRules(fast, slashes);
  ApplyRules(general, WithUnmatchedSecondary(slashes));
  EXPECT_EQ(fast, general);
  EXPECT_EQ(fast.back(), 'x');
  EXPECT_NE(fast.find('/'), std::string::npos);
  EXPECT_NE(fast.find('\\'), std::string::npos);
}

}  // namespace
}  // namespace murel

// The profile-text reader against tables of texts and the sections and values they give.

#include "platform/profile_text.h"

#include <gtest/gtest.h>

namespace murel {
namespace {

using Entries = std::vector<std::string>;

struct SectionCase {
  const char* what;
  std::string text;
  std::string section;
  Entries entries;
};

TEST(ProfileTextTest, SectionEntries) {
  const SectionCase cases[] = {
      {"plain", "[all]\na=1\nb=2\n", "all", {"a=1", "b=2"}},
      {"CR LF line ends", "[all]\r\na=1\r\nb=2\r\n", "all", {"a=1", "b=2"}},
      {"no final line end", "[all]\na=1", "all", {"a=1"}},
      {"comments and blank lines are not entries",
       "[all]\n; note\n\n   \na=1\n\t;indented note\n",
       "all",
       {"a=1"}},
      {"blanks around the line and the first \"=\" go",
       "[all]\n  key  =  value with  blanks  \t\nx= a = b\n",
       "all",
       {"key=value with  blanks", "x=a = b"}},
      {"lines without \"=\" are entries", "[all]\n  http://  \nkey\n", "all", {"http://", "key"}},
      {"section name without regard to case", "[All]\na=1\n", "aLL", {"a=1"}},
      {"blanks around the header", "  [ all ]  \na=1\n", "all", {"a=1"}},
      {"text after the header is ignored", "[all] ; rules\na=1\n", "all", {"a=1"}},
      {"quotes stay in section entries", "[all]\na=\"q\"\n", "all", {"a=\"q\""}},
      {"other sections are left out", "a=0\n[one]\na=1\n[all]\nb=2\n[two]\nc=3\n", "all", {"b=2"}},
      {"equal keys are all listed", "[all]\na=1\na=2\n", "all", {"a=1", "a=2"}},
      {"only the first of two equal sections counts",
       "[all]\na=1\n[other]\nx=0\n[ALL]\nb=2\n",
       "all",
       {"a=1"}},
      {"missing section", "[one]\na=1\n", "all", {}},
      {"empty section", "[all]\n[next]\na=1\n", "all", {}},
      {"a \"[\" line without \"]\" is an entry", "[all]\n[abc\n", "all", {"[abc"}},
      {"empty text", "", "all", {}},
  };
  for (const SectionCase& c : cases) {
    EXPECT_EQ(ProfileSection(c.text, c.section, 1000000), c.entries) << c.what;
  }
}

TEST(ProfileTextTest, SectionCapacityDropsEntriesThatDoNotFit) {
  const std::string text = "[all]\nabc\ndefg\nh\n";
  // Each entry costs its length plus one; one more character ends the list.
  const struct {
    std::size_t capacity;
    Entries entries;
  } cases[] = {
      {0, {}},
      {4, {}},
      {5, {"abc"}},
      {9, {"abc"}},
      {10, {"abc", "defg"}},
      {12, {"abc", "defg", "h"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ProfileSection(text, "all", c.capacity), c.entries) << c.capacity;
  }
}

struct StringCase {
  const char* what;
  std::string text;
  std::string section;
  std::string key;
  std::string value;
};

TEST(ProfileTextTest, StringValues) {
  const std::string longValue(600, 'v');
  const StringCase cases[] = {
      {"plain", "[strings]\nk1=Hello\n", "strings", "k1", "Hello"},
      {"names without regard to case", "[Strings]\nKEY1=Hello\n", "STRINGS", "key1", "Hello"},
      {"blanks around \"=\" and the value", "[s]\n  k =   a b  \r\n", "s", "k", "a b"},
      {"first of two equal keys", "[s]\nk=first\nK=second\n", "s", "k", "first"},
      {"first of two equal sections", "[s]\nk=first\n[S]\nk=second\nj=1\n", "s", "j", ""},
      {"double quotes go", "[s]\nk=\" padded \"\n", "s", "k", " padded "},
      {"single quotes go", "[s]\nk='x'\n", "s", "k", "x"},
      {"unpaired quote stays", "[s]\nk=\"x\n", "s", "k", "\"x"},
      {"lone quote stays", "[s]\nk=\"\n", "s", "k", "\""},
      {"mixed quotes stay", "[s]\nk=\"x'\n", "s", "k", "\"x'"},
      {"empty quotes give empty", "[s]\nk=\"\"\n", "s", "k", ""},
      {"value cut to 499", "[s]\nk=" + longValue + "\n", "s", "k", std::string(499, 'v')},
      {"quoted value cut to 499", "[s]\nk=\"" + longValue + "\"\n", "s", "k",
       std::string(499, 'v')},
      {"a value of 499 is whole", "[s]\nk=" + std::string(499, 'w') + "\n", "s", "k",
       std::string(499, 'w')},
      {"missing key", "[s]\nk=1\n", "s", "j", ""},
      {"key in another section", "[s]\nk=1\n[t]\nj=2\n", "s", "j", ""},
      {"missing section", "[s]\nk=1\n", "t", "k", ""},
      {"line without \"=\" has no value", "[s]\nk\n", "s", "k", ""},
      {"comment is not a key", "[s]\n;k=1\n", "s", ";k", ""},
      {"empty value", "[s]\nk=\n", "s", "k", ""},
      {"value keeps later \"=\"", "[s]\nk = a=b\n", "s", "k", "a=b"},
  };
  for (const StringCase& c : cases) {
    EXPECT_EQ(ProfileStrings(c.text, c.section, {c.key}).at(0), c.value) << c.what;
  }
}

}  // namespace
}  // namespace murel

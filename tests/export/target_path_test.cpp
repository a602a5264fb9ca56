#include "export/target_path.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run/run_settings.h"

namespace murel {
namespace {

const std::string kRoot = "C:\\out\\";

// 235 characters exactly with the root: the longest path that keeps its name.
const std::string kLongestName = std::string(235 - kRoot.size() - 4, 'a') + ".txt";

const Rule kSlashes{"/", "\\", "", ""};
const Rule kColons{":", "_", "", ""};
const Rule kScheme{"://", "\\", "", ""};

struct Case {
  const char* name;
  std::string root;
  std::string url;
  bool tolvar;
  std::vector<Rule> rules;
  unsigned long counter;
  std::string path;
  unsigned long counterAfter;
};

TEST(TargetPathTest, FormsThePathFromRootUrlAndRules) {
  const std::vector<Case> cases = {
      {"host only", kRoot, "http://host/", false, {}, 0, "C:\\out\\http://host/__", 0},
      {"tolvar drops http://", kRoot, "http://host/x.html", true, {}, 0, "C:\\out\\host/x.html", 0},
      {"tolvar drops HTTP:// in capitals",
       kRoot,
       "HTTP://host/x",
       true,
       {},
       0,
       "C:\\out\\host/x",
       0},
      {"tolvar keeps ftp://", kRoot, "ftp://host/f", true, {}, 0, "C:\\out\\ftp://host/f", 0},
      {"http:// kept without tolvar",
       kRoot,
       "http://host/x",
       false,
       {},
       0,
       "C:\\out\\http://host/x",
       0},
      {"final dot", kRoot, "http://host/a.", false, {}, 0, "C:\\out\\http://host/a_", 0},
      {"slash and dot: no __",
       kRoot,
       "http://host/a/.",
       false,
       {},
       0,
       "C:\\out\\http://host/a/_",
       0},
      {"final backslash after the rules",
       kRoot,
       "http://host/a/",
       false,
       {kSlashes},
       0,
       "C:\\out\\http:\\\\host\\a\\__",
       0},
      {"colon rule leaves the drive colon",
       kRoot,
       "http://h:8080/",
       false,
       {kScheme, kColons, kSlashes},
       0,
       "C:\\out\\http\\h_8080\\__",
       0},
      {"rule removing the colon: only the second character is set",
       kRoot,
       "h",
       false,
       {{":", "", "", ""}},
       0,
       "C:out\\h",
       0},
      {"network root keeps its second character",
       "\\\\srv\\share\\",
       "http://h/x",
       false,
       {kScheme, kSlashes},
       0,
       "\\\\srv\\share\\http\\h\\x",
       0},
      {"longest path keeps its name", kRoot, kLongestName, false, {}, 4, kRoot + kLongestName, 4},
      {"one more character: numbered, with extension",
       kRoot,
       "b" + kLongestName,
       false,
       {},
       0,
       "C:\\out\\longurls\\0.txt",
       1},
      {"numbered name follows the counter",
       kRoot,
       "b" + kLongestName,
       false,
       {},
       41,
       "C:\\out\\longurls\\41.txt",
       42},
      {"extension with a blank after the dot is none",
       kRoot,
       std::string(300, 'a') + ".b c",
       false,
       {},
       0,
       "C:\\out\\longurls\\0",
       1},
      {"length counted after the rules",
       kRoot,
       std::string(300, 'a') + ".htm",
       false,
       {{"aa", "a", "", ""}},
       0,
       "C:\\out\\a.htm",
       0},
      {"rule that grows until the path buffer stops it",
       kRoot,
       "x.gif",
       false,
       {{"x", "yx", "", ""}},
       0,
       "C:\\out\\longurls\\0.gif",
       1},
      {"root and URL past the path buffer: numbered, no extension",
       kRoot,
       "http://h/" + std::string(kPathBufferSize, 'a') + ".html",
       false,
       {kSlashes},
       3,
       "C:\\out\\longurls\\3",
       4},
  };
  for (const Case& c : cases) {
    unsigned long counter = c.counter;
    EXPECT_EQ(TargetPath(c.root, c.url, c.tolvar, RuleSet{c.rules}, counter), c.path) << c.name;
    EXPECT_EQ(counter, c.counterAfter) << c.name;
  }
}

TEST(TargetPathTest, ExtensionOnlyWhenTheNumberedNameStaysShort) {
  // A root of 215 characters: "longurls\0" brings it to 225, so an extension of 10 characters
  // fits and one of 11 does not.
  const std::string root = "C:\\" + std::string(211, 'r') + "\\";
  ASSERT_EQ(root.size(), 215u);
  const std::string body = std::string(30, 'u');
  unsigned long counter = 0;
  EXPECT_EQ(TargetPath(root, body + ".123456789", false, {}, counter),
            root + "longurls\\0.123456789");
  EXPECT_EQ(TargetPath(root, body + ".1234567890", false, {}, counter), root + "longurls\\1");
  EXPECT_EQ(counter, 2u);
}

}  // namespace
}  // namespace murel

// The sample rule set must load alike on Windows and Linux, and turn the URLs that caches hold
// into paths that both can create under the export root.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "export/target_path.h"
#include "platform/profile_text.h"
#include "rules/rule_set.h"
#include "support/host_runner.h"

namespace murel {
namespace {

// The section buffer the run reads a section into.
constexpr std::size_t kSectionCapacity = 1000000;

std::string SampleRulesFile() {
  return HostForm(std::string(MUREL_SOURCE_DIR) + "/samples/murel.ini");
}

// The rules section as the portable reader reads it.
std::vector<std::string> SampleSection() {
  std::ifstream file(SampleRulesFile(), std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return ProfileSection(text.str(), "all", kSectionCapacity);
}

RuleSet SampleRules() {
  RuleSet set;
  LoadRuleSet(SampleSection(), set);
  return set;
}

const std::vector<std::string> kCachedUrls = {
    "http://www.example.com/",
    "http://www.example.com/index.html",
    "HTTP://WWW.EXAMPLE.COM/Index.HTML",
    "https://secure.example.com:8443/login?user=a&next=/home",
    "ftp://ftp.example.org/pub/file.tar.gz",
    "http://example.com//double//slashes//",
    "http://example.com/a\\b\\c.txt",
    "http://example.com/a/\\b\\/c",
    "http://example.com/search?q=a|b*c<d>\"e\":f",
    "http://user:pw@example.com:80/x",
    "http://example.com/dir./file.",
    "http://example.com/dir /file",
    "http://example.com/ /x",
    "http://example.com/a/../../b",
    "http://example.com/a\\..\\..\\b",
    "http://example.com/./x/.",
    "http://example.com/..",
    "http://example.com/a?b=c.",
    "http://example.com/a?u=http://other/x",
    "http:///nohost",
    "http://example.com./",
    "http://[2001:db8::1]:8080/v6",
    "Cookie:user@example.com/",
    "http://example.com/" + std::string(300, 'p') + ".html?x=1",
    "http://example.com/p?" + std::string(300, 'q') + "/a.b",
};

const std::vector<std::string> kRoots = {
    "C:\\out\\",
    "Z:\\tmp\\murel out.d\\",
    "\\\\server\\share\\out\\",
};

// Why `path`, formed under `root`, could not be created as it is on Windows; empty when it can.
std::string Fault(const std::string& root, const std::string& path) {
  if (path.compare(0, root.size(), root) != 0) return "leaves the export root";
  const std::string rest = path.substr(root.size());
  for (char c : rest) {
    if (std::string("<>:\"|?*/").find(c) != std::string::npos) return "holds " + std::string(1, c);
    if (static_cast<unsigned char>(c) < 0x20) return "holds a control character";
  }
  std::istringstream components(rest);
  std::string name;
  while (std::getline(components, name, '\\')) {
    if (name.empty()) return "has an empty name";
    if (name == "." || name == "..") return "has the name " + name;
    if (name.back() == '.' || name.back() == ' ') return "has a name ending in '" + name + "'";
  }
  if (rest.empty() || rest.back() == '\\') return "names no file";
  return std::string();
}

TEST(SampleRulesTest, LoadsEveryRule) { EXPECT_EQ(SampleRules().rules.size(), 14u); }

// The platform reads the rules for the program (on Windows with the system's profile reading):
// it must give the entries the portable reader gives.
TEST(SampleRulesTest, HostPlatformReadsTheSameEntries) {
  const std::vector<std::string> portable = SampleSection();
  ASSERT_FALSE(portable.empty());
  EXPECT_EQ(HostProfileSection(SampleRulesFile(), "all", kSectionCapacity), portable);
}

TEST(SampleRulesTest, CachedUrlsBecomeValidPaths) {
  const RuleSet rules = SampleRules();
  for (const std::string& root : kRoots) {
    for (const bool tolvar : {false, true}) {
      for (const std::string& url : kCachedUrls) {
        unsigned long counter = 0;
        const std::string path = TargetPath(root, url, tolvar, rules, counter);
        EXPECT_EQ(Fault(root, path), "") << root << " + " << url << " -> " << path;
      }
    }
  }
}

TEST(SampleRulesTest, ReadablePaths) {
  struct Case {
    std::string url;
    std::string path;
  };
  const std::vector<Case> cases = {
      {"http://www.example.com/", "C:\\out\\http\\www.example.com\\__"},
      {"https://h.example:8443/a/b.php?id=1&x=y",
       "C:\\out\\https\\h.example_8443\\a\\b.php@id=1&x=y"},
      {"ftp://ftp.example.org/pub/f.tar.gz", "C:\\out\\ftp\\ftp.example.org\\pub\\f.tar.gz"},
      {"http://h//a///b", "C:\\out\\http\\h\\a\\b"},
      {"http://h/a/../b/./c", "C:\\out\\http\\h\\a\\._\\b\\_\\c"},
      {"http://h/q?a<b>c|d*e\"f", "C:\\out\\http\\h\\q@a_b_c_d_e_f"},
      // A rule cannot tell "\\" in a URL from the start of a network root; both systems read it
      // as one separator.
      {"http://h/a\\\\b", "C:\\out\\http\\h\\a\\\\b"},
  };
  const RuleSet rules = SampleRules();
  for (const Case& c : cases) {
    unsigned long counter = 0;
    EXPECT_EQ(TargetPath("C:\\out\\", c.url, false, rules, counter), c.path) << c.url;
  }
}

}  // namespace
}  // namespace murel

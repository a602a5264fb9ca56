#include "export/root_guard.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "export/copy_if_newer.h"
#include "export/directory_chain.h"
#include "run/run_settings.h"
#include "support/fake_platform.h"
#include "support/local_entry.h"

namespace murel {
namespace {

constexpr const char* kRoot = "C:\\out\\";

struct GuardCase {
  const char* target;
  bool inside;
};

void PrintTo(const GuardCase& row, std::ostream* out) { *out << row.target; }

class RootGuardTest : public ::testing::TestWithParam<GuardCase> {};

TEST_P(RootGuardTest, AcceptsOnlyTargetsThatStayInsideTheRoot) {
  FakePlatform fake;
  EXPECT_EQ(StaysInsideRoot(fake, kRoot, GetParam().target), GetParam().inside)
      << GetParam().target;
}

// Levels below directories the run knows are checked as before: the targets of earlier entries
// made "C:\out\host" and "C:\out\http\host" known, and every answer stays the same.
TEST_P(RootGuardTest, KnownDirectoriesSpareOnlyTheirOwnLevels) {
  FakePlatform fake;
  fake.AddDirectory("C:\\out");
  KnownDirectories known;
  for (const char* earlier : {"C:\\out\\host\\page", "C:\\out\\http\\host\\a\\page"}) {
    ASSERT_TRUE(StaysInsideRoot(fake, kRoot, earlier, known));
    MakeDirectoryChain(fake, earlier, std::char_traits<char>::length(kRoot), known);
  }
  EXPECT_EQ(StaysInsideRoot(fake, kRoot, GetParam().target, known), GetParam().inside)
      << GetParam().target;
}

INSTANTIATE_TEST_SUITE_P(
    Targets, RootGuardTest,
    ::testing::Values(
        // What the usual rules make of URLs.
        GuardCase{"C:\\out\\http\\host\\dir\\page.html", true},
        GuardCase{"C:\\out\\http\\host\\__", true},
        GuardCase{"C:\\out\\http\\host\\a@b=c&d_e", true},
        GuardCase{"C:\\out\\longurls\\12.html", true}, GuardCase{"c:\\OUT\\host\\page", true},
        GuardCase{"C:\\out\\host//x/y", true}, GuardCase{"C:\\out\\host\\\\x", true},
        GuardCase{"C:\\out\\host\\..x\\.profile\\a..b\\_.", true},
        GuardCase{"C:\\out\\host\\a b\\ x", true},
        GuardCase{"C:\\out\\host\\console\\con-tents", true},
        // Components that climb, or that Windows trims to nothing.
        GuardCase{"C:\\out\\..", false}, GuardCase{"C:\\out\\.", false},
        GuardCase{"C:\\out\\a\\..\\..\\x", false}, GuardCase{"C:\\out\\a/../../x", false},
        GuardCase{"C:\\out\\..\\out\\x", false}, GuardCase{"C:\\out\\a\\..\\b", false},
        GuardCase{"C:\\out\\...\\x", false}, GuardCase{"C:\\out\\a\\. .\\x", false},
        GuardCase{"C:\\out\\a\\ \\x", false}, GuardCase{"C:\\out\\a\\.. ", false},
        // Streams, drives and a root that the rules rewrote.
        GuardCase{"C:\\out\\http:\\host\\page", false}, GuardCase{"C:\\out\\page::$DATA", false},
        GuardCase{"C:\\out\\D:\\x", false}, GuardCase{"C:\\outside\\x", false},
        GuardCase{"C:\\ou\\x", false}, GuardCase{"D:\\out\\x", false},
        GuardCase{"C:\\out\\", false}, GuardCase{"C:\\out\\\\/", false},
        // Device names, as the last component and as a directory level.
        GuardCase{"C:\\out\\CON", false}, GuardCase{"C:\\out\\host\\nul.txt", false},
        GuardCase{"C:\\out\\host\\com1\\page", false}, GuardCase{"C:\\out\\Lpt1\\x\\y", false},
        GuardCase{"C:\\out\\http\\host\\a\\..\\..\\..\\..\\x", false},
        GuardCase{"C:\\out\\http\\host\\a\\nul", false},
        // murel's own files in the root, in any case and spelling; elsewhere they are names.
        GuardCase{"C:\\out\\urls.txt", false}, GuardCase{"C:\\out\\URLS.TXT", false},
        GuardCase{"C:\\out/Urls.txt", false}, GuardCase{"C:\\out\\\\urls.txt", false},
        GuardCase{"C:\\out\\.murel-memo", false}, GuardCase{"C:\\out\\host\\urls.txt", true},
        GuardCase{"C:\\out\\urls.txt_", true}));

// The entry export refuses what the guard refuses and reports it like a failed copy; nothing at
// all changes on disk, outside the root or in it.
TEST(RootGuard, RefusedTargetsChangeNothing) {
  const std::vector<std::string> hostile = {
      "C:\\out\\..",         "C:\\out\\.",   "C:\\out\\a\\..\\..\\x", "C:\\out\\x\\..\\..\\out\\y",
      "C:\\out\\..\\victim", "C:\\out\\CON", "C:\\out\\nul\\x",       "C:\\out\\...\\x"};
  for (const std::string& target : hostile) {
    FakePlatform fake;
    RunSettings settings;
    settings.exportRoot = kRoot;
    BoxReporter reporter(fake, settings);
    KnownDirectories known;
    fake.AddDirectory("C:\\out");
    fake.AddFile("C:\\victim", "keep", 1);
    fake.AddFile("C:\\x", "keep", 1);
    fake.AddFile("C:\\cache\\f", "new", 900);
    const std::vector<std::string> before = fake.Tree();
    if (StaysInsideRoot(fake, settings.exportRoot, target)) {
      MakeDirectoryChain(fake, target, settings.exportRoot.size(), known);
      CopyIfNewer(fake, reporter, LocalEntry("C:\\cache\\f"), false, target);
    } else {
      reporter.CopyFailed({"C:\\cache\\f", "http://x/", target, {}});
    }
    EXPECT_EQ(fake.Tree(), before) << target;
    EXPECT_EQ(fake.Content("C:\\victim"), "keep");
    EXPECT_EQ(fake.boxes.size(), 1u) << target;
  }
}

}  // namespace
}  // namespace murel

// The directory chain, the copy and the root guard on the host's real folders, through the
// system's platform (natively, and in the MinGW build under Wine).
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "export/copy_if_newer.h"
#include "export/directory_chain.h"
#include "export/root_guard.h"
#include "run/run_settings.h"
#include "support/host_files.h"
#include "support/host_runner.h"
#include "support/local_entry.h"

namespace murel {
namespace {

class ExportFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(folder_.path().empty());
    ASSERT_TRUE(MakeFolders(folder_.At("out")));
    ASSERT_TRUE(MakeFolders(folder_.At("cache")));
    settings_.exportRoot = ProgramPath(folder_.At("out")) + "\\";
    settings_.quiet = true;
  }

  // Writes a cache file with the given content and last-write time (seconds since 1970); its
  // path as the program keeps it.
  std::string CacheFile(const std::string& name, const std::string& content, std::time_t time) {
    const std::string path = folder_.At("cache/" + name);
    EXPECT_TRUE(WriteHostFile(path, content));
    EXPECT_TRUE(SetHostFileTime(path, time));
    return ProgramPath(path);
  }

  // What the entry export does for one entry whose target is `relative` under the root.
  void Export(const std::string& localFile, const std::string& relative) {
    const std::string target = settings_.exportRoot + relative;
    MakeDirectoryChain(platform_, target, settings_.exportRoot.size(), known_);
    CopyIfNewer(platform_, reporter_, LocalEntry(localFile), false, target);
  }

  // The path of `relative` ("/"-separated) in the export folder, in the system's form.
  std::string Out(const std::string& relative) const { return folder_.At("out/" + relative); }
  std::set<std::string> Tree(const std::string& relative) const {
    const std::vector<std::string> tree = HostTree(Out(relative));
    return std::set<std::string>(tree.begin(), tree.end());
  }

  HostFolder folder_{"export"};
  HostPlatform platform_;
  RunSettings settings_;
  BoxReporter reporter_{platform_, settings_};
  KnownDirectories known_;
};

TEST_F(ExportFilesTest, PageThenDeeperPageMakesThePageADirectoryPage) {
  Export(CacheFile("one", "page a", 1000000), "host\\a");
  Export(CacheFile("two", "page b", 2000000), "host\\a\\b");
  EXPECT_EQ(Tree("host"), (std::set<std::string>{"a/", "a/__", "a/b"}));
  EXPECT_EQ(ReadAll(Out("host/a/__")), "page a");
  EXPECT_EQ(HostFileTime(Out("host/a/__")), 1000000);
  EXPECT_EQ(ReadAll(Out("host/a/b")), "page b");
}

TEST_F(ExportFilesTest, DeeperPageThenPageLandsInTheDirectoryPage) {
  Export(CacheFile("two", "page b", 2000000), "host\\a\\b");
  Export(CacheFile("one", "page a", 1000000), "host\\a");
  EXPECT_EQ(Tree("host"), (std::set<std::string>{"a/", "a/__", "a/b"}));
  EXPECT_EQ(ReadAll(Out("host/a/__")), "page a");
  EXPECT_EQ(ReadAll(Out("host/a/b")), "page b");
}

TEST_F(ExportFilesTest, SecondRunCopiesOnlyWhatChanged) {
  const std::string cached = CacheFile("one", "first", 1000000);
  Export(cached, "host\\page");
  EXPECT_EQ(HostFileTime(Out("host/page")), 1000000);
  // Same time, other content: the copy carried the time over, so nothing is copied.
  CacheFile("one", "same time", 1000000);
  Export(cached, "host\\page");
  EXPECT_EQ(ReadAll(Out("host/page")), "first");
  CacheFile("one", "newer", 1000001);
  Export(cached, "host\\page");
  EXPECT_EQ(ReadAll(Out("host/page")), "newer");
  EXPECT_EQ(Tree("host"), std::set<std::string>{"page"});
}

// The guard takes the host's real paths as the export builds them, and refuses one that climbs
// out or names what the system resolves elsewhere (device names on Windows, at every level).
TEST_F(ExportFilesTest, GuardTakesOrdinaryTargetsAndRefusesClimbingAndSystemNames) {
  const std::string& root = settings_.exportRoot;
  for (const char* ok : {"http\\host\\page.html", "http\\h\\a", "host\\a.b\\__", "h/a.b/__",
                         "host/x/y", "longurls\\7"}) {
    EXPECT_TRUE(StaysInsideRoot(platform_, root, root + ok)) << ok;
  }
  std::vector<std::string> refused{"..\\x", "h\\..\\..\\x", "a\\...\\x", "http:\\host"};
  for (const std::string& name : SystemRefusedTargets()) refused.push_back(name);
  for (const std::string& bad : refused) {
    EXPECT_FALSE(StaysInsideRoot(platform_, root, root + bad)) << bad;
  }
}

}  // namespace
}  // namespace murel

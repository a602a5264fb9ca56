#include "export/directory_chain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "export/copy_if_newer.h"
#include "run/run_settings.h"
#include "support/fake_platform.h"
#include "support/faulty_platform.h"
#include "support/local_entry.h"

namespace murel {
namespace {

using Op = FaultyPlatform::Op;

constexpr const char* kRoot = "C:\\out\\";

class DirectoryChainTest : public ::testing::Test {
 protected:
  DirectoryChainTest() {
    settings.exportRoot = kRoot;
    fake.AddDirectory("C:\\out");
    fake.AddFile("C:\\cache\\one", "page a", 100);
    fake.AddFile("C:\\cache\\two", "page b", 200);
  }

  // What the entry export does for one entry once its target path is known.
  void Export(const std::string& localFile, const std::string& target) {
    MakeDirectoryChain(faulty, target, settings.exportRoot.size(), known);
    CopyIfNewer(faulty, reporter, LocalEntry(localFile), false, target);
  }

  // The files in the export whose content is `content`.
  std::vector<std::string> FilesHolding(const std::string& content) const {
    std::vector<std::string> found;
    for (const std::string& path : fake.Tree()) {
      if (path.rfind(kRoot, 0) == 0 && fake.Content(path) == content) found.push_back(path);
    }
    return found;
  }

  bool Logged(const std::string& prefix) const {
    return std::any_of(faulty.log.begin(), faulty.log.end(),
                       [&](const std::string& line) { return line.rfind(prefix, 0) == 0; });
  }

  FakePlatform fake;
  FaultyPlatform faulty{fake};  // where the chain and the copy make their calls
  RunSettings settings;
  BoxReporter reporter{fake, settings};
  KnownDirectories known;
};

TEST_F(DirectoryChainTest, CreatesEveryLevelOfTheTargetsDirectory) {
  MakeDirectoryChain(faulty, "C:\\out\\host\\a\\b\\page", 7, known);
  EXPECT_EQ(fake.Tree(), (std::vector<std::string>{"C:\\cache\\", "C:\\cache\\one",
                                                   "C:\\cache\\two", "C:\\out\\", "C:\\out\\host\\",
                                                   "C:\\out\\host\\a\\", "C:\\out\\host\\a\\b\\"}));
}

TEST_F(DirectoryChainTest, DoubledBackslashChangesNothing) {
  MakeDirectoryChain(faulty, "C:\\out\\host\\\\a\\page", 7, known);
  EXPECT_TRUE(fake.IsDirectory("C:\\out\\host\\a"));
  EXPECT_FALSE(Logged("Rename"));
}

TEST_F(DirectoryChainTest, PageThenDeeperPageMakesThePageADirectoryPage) {
  Export("C:\\cache\\one", "C:\\out\\host\\a");
  Export("C:\\cache\\two", "C:\\out\\host\\a\\b");
  EXPECT_TRUE(fake.IsDirectory("C:\\out\\host\\a"));
  EXPECT_EQ(fake.Content("C:\\out\\host\\a\\__"), "page a");
  EXPECT_EQ(fake.TimeOf("C:\\out\\host\\a\\__"), 100u);
  EXPECT_EQ(fake.Content("C:\\out\\host\\a\\b"), "page b");
  EXPECT_EQ(fake.Tree().size(), 8u) << "no temporary file is left behind";
}

TEST_F(DirectoryChainTest, DeeperPageThenPageLandsInTheDirectoryPage) {
  Export("C:\\cache\\two", "C:\\out\\host\\a\\b");
  Export("C:\\cache\\one", "C:\\out\\host\\a");
  EXPECT_EQ(fake.Content("C:\\out\\host\\a\\__"), "page a");
  EXPECT_EQ(fake.Content("C:\\out\\host\\a\\b"), "page b");
}

TEST_F(DirectoryChainTest, FilesOnTheRootsOwnLevelsAreNeverMoved) {
  fake.AddFile("C:\\top", "not ours");
  MakeDirectoryChain(faulty, "C:\\top\\out\\host\\page", std::string("C:\\top\\out\\").size(),
                     known);
  EXPECT_EQ(fake.Content("C:\\top"), "not ours");
  EXPECT_FALSE(Logged("CreateTemporaryFile"));
  EXPECT_FALSE(Logged("Rename"));
}

// What an earlier entry or an earlier run left on the levels of "host\a\b", and what the chain
// for "host\a\b\page" must leave: a directory that exists whole costs one look per level (then
// none in the run); a level that is a file, at any depth, is still found and becomes a directory
// holding the file as "__".
struct LeftBefore {
  const char* name;
  std::vector<const char*> directories;  // made before the chain runs
  const char* file;                      // a page made before the chain runs, or null
  const char* pageAt;                    // where that page ends up
  std::size_t calls;                     // platform calls the chain makes; 0: not counted
};

void PrintTo(const LeftBefore& row, std::ostream* out) { *out << row.name; }

class LeftBeforeTest : public DirectoryChainTest,
                       public ::testing::WithParamInterface<LeftBefore> {};

TEST_P(LeftBeforeTest, EveryLevelEndsADirectoryAndNoPageIsLost) {
  const LeftBefore& row = GetParam();
  for (const char* directory : row.directories) fake.AddDirectory(directory);
  if (row.file != nullptr) fake.AddFile(row.file, "page", 100);
  const std::size_t before = faulty.calls;
  MakeDirectoryChain(faulty, "C:\\out\\host\\a\\b\\page", 7, known);
  EXPECT_TRUE(fake.IsDirectory("C:\\out\\host\\a\\b"));
  if (row.file != nullptr) {
    EXPECT_EQ(FilesHolding("page"), std::vector<std::string>{row.pageAt});
  }
  if (row.calls != 0) {
    EXPECT_EQ(faulty.calls - before, row.calls);
  }
}

INSTANTIATE_TEST_SUITE_P(
    StateTable, LeftBeforeTest,
    ::testing::Values(
        LeftBefore{"Nothing", {}, nullptr, nullptr, 0},
        LeftBefore{"WholeDirectory", {"C:\\out\\host\\a\\b"}, nullptr, nullptr, 3},
        LeftBefore{"HostIsAFile", {}, "C:\\out\\host", "C:\\out\\host\\__", 0},
        LeftBefore{
            "MiddleLevelIsAFile", {"C:\\out\\host"}, "C:\\out\\host\\a", "C:\\out\\host\\a\\__", 0},
        LeftBefore{"DeepestLevelIsAFile",
                   {"C:\\out\\host\\a"},
                   "C:\\out\\host\\a\\b",
                   "C:\\out\\host\\a\\b\\__",
                   0},
        LeftBefore{"FileBesideTheChain",
                   {"C:\\out\\host\\a\\b"},
                   "C:\\out\\host\\a\\bb",
                   "C:\\out\\host\\a\\bb",
                   3}),
    [](const auto& row) { return std::string(row.param.name); });

// Within one run: a page that an earlier entry wrote is found on a level of a later, deeper chain
// whose upper levels the run already made.
TEST_F(DirectoryChainTest, PageLeftAfterItsDirectoryWasSeenIsStillMovedAside) {
  Export("C:\\cache\\one", "C:\\out\\host\\a\\b\\c");
  Export("C:\\cache\\two", "C:\\out\\host\\a\\b\\c\\d");
  EXPECT_TRUE(fake.IsDirectory("C:\\out\\host\\a\\b\\c"));
  EXPECT_EQ(fake.Content("C:\\out\\host\\a\\b\\c\\__"), "page a");
  EXPECT_EQ(fake.Content("C:\\out\\host\\a\\b\\c\\d"), "page b");
}

// Each way the chain can fail, and what is on disk afterwards: the page that blocked the level
// "a" (content "page a") and the copy of the entry "a\b" (content "page b").
struct ChainFailure {
  const char* name;
  Op op;
  const char* path;  // where the failure is injected; empty: every call of `op`
  bool aIsDirectory;
  const char* pageAt;  // where "page a" ends up
  bool copied;         // whether "page b" reached a\b (if not, a copy error box is shown)
};

void PrintTo(const ChainFailure& row, std::ostream* out) { *out << row.name; }

class ChainFailureTest : public DirectoryChainTest,
                         public ::testing::WithParamInterface<ChainFailure> {};

TEST_P(ChainFailureTest, LeavesTheBlockingPageAndReportsTheCopy) {
  const ChainFailure& row = GetParam();
  Export("C:\\cache\\one", "C:\\out\\host\\a");
  faulty.FailOn(row.op, row.path);
  Export("C:\\cache\\two", "C:\\out\\host\\a\\b");
  EXPECT_EQ(fake.IsDirectory("C:\\out\\host\\a"), row.aIsDirectory);
  EXPECT_EQ(FilesHolding("page a"), std::vector<std::string>{row.pageAt});
  EXPECT_EQ(fake.Content("C:\\out\\host\\a\\b") == "page b", row.copied);
  EXPECT_EQ(fake.boxes.size(), row.copied ? 0u : 1u);
}

INSTANTIATE_TEST_SUITE_P(
    FailureTable, ChainFailureTest,
    ::testing::Values(ChainFailure{"TempNameFails", Op::kCreateTemporaryFile, "", false,
                                   "C:\\out\\host\\a", false},
                      ChainFailure{"TempFileCannotBeDeleted", Op::kRemoveFile, "", false,
                                   "C:\\out\\host\\a", false},
                      ChainFailure{"BlockingFileCannotBeMoved", Op::kRename, "C:\\out\\host\\a",
                                   false, "C:\\out\\host\\a", false},
                      ChainFailure{"DirectoryCannotBeCreated", Op::kCreateFolder,
                                   "C:\\out\\host\\a", false, "C:\\out\\host\\a", false},
                      ChainFailure{"MoveIntoTheNewDirectoryFails", Op::kRename,
                                   "C:\\out\\host\\a\\__", true, "C:\\out\\host\\1.TMP", true}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(DirectoryChainTest, LevelThatCannotBeCreatedIsReportedAsACopyFailure) {
  faulty.FailOn(Op::kCreateFolder, "C:\\out\\host");
  Export("C:\\cache\\one", "C:\\out\\host\\a");
  EXPECT_FALSE(Logged("Rename"));
  ASSERT_EQ(fake.boxes.size(), 1u);
  EXPECT_EQ(fake.boxes[0].text, "C:\\cache\\one");
}

// Whichever single platform call fails while a page is moved aside, the page survives, whole,
// exactly once.
TEST_F(DirectoryChainTest, BlockingPageSurvivesAFailureOfAnyCall) {
  FakePlatform dryFake;
  dryFake.AddFile("C:\\out\\host\\a", "page a", 100);
  FaultyPlatform dryRun(dryFake);
  KnownDirectories dryKnown;
  MakeDirectoryChain(dryRun, "C:\\out\\host\\a\\b", 7, dryKnown);
  for (std::size_t call = 1; call <= dryRun.calls; ++call) {
    FakePlatform runFake;
    runFake.AddFile("C:\\out\\host\\a", "page a", 100);
    FaultyPlatform run(runFake);
    run.FailCall(call);
    KnownDirectories runKnown;
    MakeDirectoryChain(run, "C:\\out\\host\\a\\b", 7, runKnown);
    int copies = 0;
    for (const std::string& path : runFake.Tree()) {
      if (runFake.Content(path) == "page a" && runFake.TimeOf(path) == 100u) ++copies;
    }
    EXPECT_EQ(copies, 1) << "failing call " << call << ": " << dryRun.log[call - 1];
  }
}

}  // namespace
}  // namespace murel

// Stale copy temporaries: what a killed run leaves is removed by the next copy into the folder,
// and nothing else is.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/posix/copy_temp.h"
#include "platform/posix/posix_platform.h"
#include "support/scratch_folder.h"

namespace fs = std::filesystem;

namespace murel {
namespace {

// The number of a process that has ended (and been reaped), so that no process has it for now.
pid_t EndedProcess() {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  return child;
}

class CopyTempTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir.empty()); }
  void Make(const std::string& name, mode_t mode) {
    std::ofstream(dir / name) << "x";
    ASSERT_EQ(::chmod((dir / name).c_str(), mode), 0);
  }
  ScratchFolder folder_{"temp"};
  const fs::path& dir = folder_.path();
};

TEST_F(CopyTempTest, RemovesOnlyTheTemporariesOfEndedRuns) {
  const std::string dead = std::to_string(EndedProcess());
  const std::string self = std::to_string(getpid());
  struct Case {
    std::string name;
    mode_t mode;
    bool removed;
  };
  const Case cases[] = {
      {".murel-" + dead + "-1A2B.tmp", 0, true},    // a killed run's temporary
      {".murel-" + dead + "-1.tmp", 0644, false},   // permissions: a finished file
      {".murel-" + self + "-2.tmp", 0, false},      // this run's own
      {".murel-1-3.tmp", 0, false},                 // a running process's
      {".murel-" + dead + "-4.tmp.bak", 0, false},  // another name
      {".murel-" + dead + "-xyz.tmp", 0, false},    // no number
      {"murel-" + dead + "-5.tmp", 0, false},       // not hidden
      {".murel" + dead + "6.tmp", 0, false},        // the form of older temporaries
      {"page.html", 0, false},
  };
  for (const Case& c : cases) Make(c.name, c.mode);
  RemoveStaleCopyTemps(dir.string());
  for (const Case& c : cases) EXPECT_EQ(fs::exists(dir / c.name), !c.removed) << c.name;
}

TEST_F(CopyTempTest, ACopyRemovesStaleTemporariesAndLeavesNoneOfItsOwn) {
  const std::string stale = ".murel-" + std::to_string(EndedProcess()) + "-7.tmp";
  Make(stale, 0);
  std::ofstream(dir / "source") << "content";
  fs::create_directory(dir / "sub");
  Make("sub/.murel-" + std::to_string(EndedProcess()) + "-8.tmp", 0);
  PosixPlatform platform;
  ASSERT_TRUE(platform.CopyReplacing((dir / "source").string(), (dir / "copy").string()));
  EXPECT_FALSE(fs::exists(dir / stale));
  // Only the folder a copy goes into is cleared.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "sub"), fs::directory_iterator()), 1);
  std::size_t files = 0;
  for (const auto& item : fs::directory_iterator(dir)) files += item.is_regular_file();
  EXPECT_EQ(files, 2u) << "source and copy only";
  struct stat info {};
  ASSERT_EQ(::stat((dir / "copy").c_str(), &info), 0);
  const mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask);
}

TEST_F(CopyTempTest, ACopyWithoutPermissionsIsMadeAgain) {
  // What a run killed between the rename and the permissions leaves at the target: the whole
  // file, with the cached time, but no permissions. It must not pass for an up-to-date copy.
  std::ofstream(dir / "source") << "content";
  PosixPlatform platform;
  ASSERT_TRUE(platform.CopyReplacing((dir / "source").string(), (dir / "copy").string()));
  ASSERT_EQ(::chmod((dir / "copy").c_str(), 0), 0);
  EXPECT_FALSE(platform.ReadLastWriteTime((dir / "copy").string()).opened);
  ASSERT_TRUE(platform.CopyReplacing((dir / "source").string(), (dir / "copy").string()));
  EXPECT_TRUE(platform.ReadLastWriteTime((dir / "copy").string()).opened);
}

}  // namespace
}  // namespace murel

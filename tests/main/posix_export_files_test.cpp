// The directory chain and the copy on real folders of the host, through the POSIX platform.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>

#include "export/copy_if_newer.h"
#include "export/directory_chain.h"
#include "export/root_guard.h"
#include "platform/posix/host_path.h"
#include "platform/posix/posix_platform.h"
#include "run/run_settings.h"
#include "support/local_entry.h"
#include "support/scratch_folder.h"

namespace murel {
namespace {

namespace fs = std::filesystem;

class PosixExportFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(host_.empty());
    fs::create_directories(host_ / "out");
    fs::create_directories(host_ / "cache");
    settings_.exportRoot = WindowsFormOf((host_ / "out").string()) + "\\";
    settings_.quiet = true;
  }

  // Writes a cache file with the given content and last-write time (seconds since 1970).
  std::string CacheFile(const std::string& name, const std::string& content, std::time_t time) {
    const fs::path path = host_ / "cache" / name;
    std::ofstream(path, std::ios::binary) << content;
    SetTime(path, time);
    return WindowsFormOf(path.string());
  }

  static void SetTime(const fs::path& path, std::time_t time) {
    const timespec times[2] = {{time, 0}, {time, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  }

  static std::time_t TimeOf(const fs::path& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? info.st_mtime : 0;
  }

  static std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  static std::set<std::string> Names(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& item : fs::directory_iterator(dir)) names.insert(item.path().filename());
    return names;
  }

  // What the entry export does for one entry whose target is `relative` under the root.
  void Export(const std::string& localFile, const std::string& relative) {
    const std::string target = settings_.exportRoot + relative;
    MakeDirectoryChain(platform_, target, settings_.exportRoot.size(), known);
    CopyIfNewer(platform_, reporter_, LocalEntry(localFile), false, target);
  }

  fs::path Out() const { return host_ / "out"; }

  ScratchFolder folder_{"export"};
  const fs::path& host_ = folder_.path();
  PosixPlatform platform_;
  RunSettings settings_;
  BoxReporter reporter_{platform_, settings_};
  KnownDirectories known;
};

TEST_F(PosixExportFilesTest, PageThenDeeperPageMakesThePageADirectoryPage) {
  Export(CacheFile("one", "page a", 1000000), "host\\a");
  Export(CacheFile("two", "page b", 2000000), "host\\a\\b");
  EXPECT_EQ(Names(Out() / "host"), std::set<std::string>{"a"});
  EXPECT_EQ(Names(Out() / "host" / "a"), (std::set<std::string>{"__", "b"}));
  EXPECT_EQ(Read(Out() / "host" / "a" / "__"), "page a");
  EXPECT_EQ(TimeOf(Out() / "host" / "a" / "__"), 1000000);
  EXPECT_EQ(Read(Out() / "host" / "a" / "b"), "page b");
}

TEST_F(PosixExportFilesTest, DeeperPageThenPageLandsInTheDirectoryPage) {
  Export(CacheFile("two", "page b", 2000000), "host\\a\\b");
  Export(CacheFile("one", "page a", 1000000), "host\\a");
  EXPECT_EQ(Names(Out() / "host" / "a"), (std::set<std::string>{"__", "b"}));
  EXPECT_EQ(Read(Out() / "host" / "a" / "__"), "page a");
}

TEST_F(PosixExportFilesTest, SecondRunCopiesOnlyWhatChanged) {
  const std::string cached = CacheFile("one", "first", 1000000);
  Export(cached, "host\\page");
  EXPECT_EQ(TimeOf(Out() / "host" / "page"), 1000000);
  // Same time, other content: the copy carried the time over, so nothing is copied.
  CacheFile("one", "same time", 1000000);
  Export(cached, "host\\page");
  EXPECT_EQ(Read(Out() / "host" / "page"), "first");
  CacheFile("one", "newer", 1000001);
  Export(cached, "host\\page");
  EXPECT_EQ(Read(Out() / "host" / "page"), "newer");
  EXPECT_EQ(Names(Out() / "host"), std::set<std::string>{"page"});
}

// The guard takes the host's real paths as the export builds them, and refuses one that climbs
// out.
TEST_F(PosixExportFilesTest, GuardAcceptsRealTargetsAndRefusesClimbingOnes) {
  EXPECT_TRUE(
      StaysInsideRoot(platform_, settings_.exportRoot, settings_.exportRoot + "http\\h\\a"));
  EXPECT_TRUE(StaysInsideRoot(platform_, settings_.exportRoot, settings_.exportRoot + "h/a.b/__"));
  EXPECT_FALSE(StaysInsideRoot(platform_, settings_.exportRoot, settings_.exportRoot + "..\\x"));
  EXPECT_FALSE(
      StaysInsideRoot(platform_, settings_.exportRoot, settings_.exportRoot + "h\\..\\..\\x"));
}

// A copy that stops part way, by a write error or by the death of the process, leaves the old
// target (or none) and no partial file under the target's name that anyone may read; the next run
// then copies.
struct Interruption {
  const char* name;
  bool oldTarget;  // whether an older copy is at the target
  bool killed;     // the process dies at the write that passes the limit, or sees the error
};

void PrintTo(const Interruption& row, std::ostream* out) { *out << row.name; }

class InterruptedCopyTest : public PosixExportFilesTest,
                            public ::testing::WithParamInterface<Interruption> {};

// Runs CopyIfNewer in a child process whose files may not grow past 4096 bytes; its wait status.
int CopyInLimitedChild(Platform& platform, Reporter& reporter, const std::string& from,
                       const std::string& to, bool killed) {
  const pid_t child = fork();
  if (child == 0) {
    const rlimit noCore{0, 0};
    const rlimit small{4096, RLIM_INFINITY};
    setrlimit(RLIMIT_CORE, &noCore);
    setrlimit(RLIMIT_FSIZE, &small);
    std::signal(SIGXFSZ, killed ? SIG_DFL : SIG_IGN);
    CopyIfNewer(platform, reporter, LocalEntry(from), false, to);
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return status;
}

TEST_P(InterruptedCopyTest, LeavesTheOldTargetOrNone) {
  const Interruption& row = GetParam();
  const std::string big(1 << 20, 'x');
  const std::string cached = CacheFile("big", big, 2000000);
  const fs::path target = Out() / "page";
  if (row.oldTarget) {
    std::ofstream(target, std::ios::binary) << "old";
    SetTime(target, 1000000);
  }

  const int status =
      CopyInLimitedChild(platform_, reporter_, cached, settings_.exportRoot + "page", row.killed);
  if (row.killed) {
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << "the copy was not cut";
  }

  if (row.oldTarget) {
    EXPECT_EQ(Read(target), "old");
    EXPECT_EQ(TimeOf(target), 1000000);
  } else if (row.killed && fs::exists(target)) {
    // A new target is written at its name and gets its permissions last: a killed copy leaves
    // it without any, which the next run takes for unfinished.
    EXPECT_EQ(fs::status(target).permissions(), fs::perms::none);
  } else {
    EXPECT_FALSE(fs::exists(target));
  }
  // A copy that sees the error removes what it wrote; only a killed one can leave its temporary
  // file, which is never under the target's name.
  if (!row.killed) {
    EXPECT_EQ(Names(Out()),
              row.oldTarget ? std::set<std::string>{"page"} : std::set<std::string>{});
  }
  CopyIfNewer(platform_, reporter_, LocalEntry(cached), false, settings_.exportRoot + "page");
  EXPECT_EQ(Read(target), big);
  EXPECT_EQ(TimeOf(target), 2000000);
}

INSTANTIATE_TEST_SUITE_P(Cases, InterruptedCopyTest,
                         ::testing::Values(Interruption{"WriteFailsOverOldTarget", true, false},
                                           Interruption{"WriteFailsWithoutTarget", false, false},
                                           Interruption{"KilledOverOldTarget", true, true},
                                           Interruption{"KilledWithoutTarget", false, true}),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace murel

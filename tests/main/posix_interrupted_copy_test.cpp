// A copy cut part way on the host's real folders through the POSIX platform, by a write error or
// by the death of its process at a file-size limit (what the other systems share is in
// export_files_test.cpp).
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "export/copy_if_newer.h"
#include "run/run_settings.h"
#include "support/host_files.h"
#include "support/host_runner.h"
#include "support/local_entry.h"

namespace murel {
namespace {

namespace fs = std::filesystem;

// A copy that stops part way, by a write error or by the death of the process, leaves the old
// target (or none) and no partial file under the target's name that anyone may read; the next run
// then copies.
struct Interruption {
  const char* name;
  bool oldTarget;  // whether an older copy is at the target
  bool killed;     // the process dies at the write that passes the limit, or sees the error
};

void PrintTo(const Interruption& row, std::ostream* out) { *out << row.name; }

class InterruptedCopyTest : public ::testing::TestWithParam<Interruption> {
 protected:
  void SetUp() override {
    ASSERT_FALSE(folder_.path().empty());
    ASSERT_TRUE(MakeFolders(folder_.At("out")));
    settings_.exportRoot = ProgramPath(folder_.At("out")) + "\\";
    settings_.quiet = true;
  }

  HostFolder folder_{"export"};
  PosixPlatform platform_;
  RunSettings settings_;
  BoxReporter reporter_{platform_, settings_};
};

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
  const std::string cached = folder_.At("big");
  ASSERT_TRUE(WriteHostFile(cached, big) && SetHostFileTime(cached, 2000000));
  const std::string target = folder_.At("out/page");
  if (row.oldTarget) {
    ASSERT_TRUE(WriteHostFile(target, "old") && SetHostFileTime(target, 1000000));
  }

  const int status = CopyInLimitedChild(platform_, reporter_, ProgramPath(cached),
                                        settings_.exportRoot + "page", row.killed);
  if (row.killed) {
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << "the copy was not cut";
  }

  if (row.oldTarget) {
    EXPECT_EQ(ReadAll(target), "old");
    EXPECT_EQ(HostFileTime(target), 1000000);
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
    EXPECT_EQ(HostTree(folder_.At("out")),
              row.oldTarget ? std::vector<std::string>{"page"} : std::vector<std::string>{});
  }
  CopyIfNewer(platform_, reporter_, LocalEntry(ProgramPath(cached)), false,
              settings_.exportRoot + "page");
  EXPECT_EQ(ReadAll(target), big);
  EXPECT_EQ(HostFileTime(target), 2000000);
}

INSTANTIATE_TEST_SUITE_P(Cases, InterruptedCopyTest,
                         ::testing::Values(Interruption{"WriteFailsOverOldTarget", true, false},
                                           Interruption{"WriteFailsWithoutTarget", false, false},
                                           Interruption{"KilledOverOldTarget", true, true},
                                           Interruption{"KilledWithoutTarget", false, true}),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace murel

// What a user sees of the native program beyond an export: the version, the help beyond the
// usage box, the caches found in a home folder, and the progress and summary on a terminal.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "host_files.h"

namespace fs = std::filesystem;

namespace murel {
namespace {

class UserViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/murel-view-XXXXXX";
    ASSERT_NE(::mkdtemp(name), nullptr);
    scratch = name;
  }
  void TearDown() override { fs::remove_all(scratch); }

  // Runs `command` (a shell command; "murel" stands for the program) in the scratch folder with
  // standard output and error in files; its exit status.
  int Shell(const std::string& command) {
    const std::string line = "cd '" + scratch.string() + "' && murel() { '" + MUREL_BINARY +
                             "' \"$@\"; } && { " + command + "; } >stdout.txt 2>stderr.txt";
    const int status = std::system(line.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string Out() { return ReadAll(scratch / "stdout.txt"); }
  std::string Err() { return ReadAll(scratch / "stderr.txt"); }

  fs::path scratch;
};

TEST_F(UserViewTest, VersionTellsTheVersionAndTheFormats) {
  ASSERT_EQ(Shell("murel --version"), 0);
  EXPECT_EQ(Out().rfind("murel 1.", 0), 0u) << Out();
  EXPECT_NE(Out().find("Firefox's cache2"), std::string::npos) << Out();
}

TEST_F(UserViewTest, HelpShowsTheUsageAndThenTheOptionsBeyondIt) {
  fs::copy_file(fs::path(MUREL_SOURCE_DIR) / "samples/murel.lng", scratch / "murel.lng");
  ASSERT_EQ(Shell("murel -h && echo ---- && murel --help"), 0);
  const std::string out = Out();
  const std::size_t split = out.find("----\n");
  ASSERT_NE(split, std::string::npos);
  const std::string usage = out.substr(0, split);
  const std::string help = out.substr(split + 5);
  // The usage box is the same; the options beyond it follow.
  EXPECT_EQ(help.rfind(usage, 0), 0u) << help;
  for (const char* option : {"-c cache", "--raw", "--list-caches", "--version", "Formats read"}) {
    EXPECT_NE(help.find(option, usage.size()), std::string::npos) << option;
  }
}

}  // namespace
}  // namespace murel

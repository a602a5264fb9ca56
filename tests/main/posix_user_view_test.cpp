// What a user sees of the native program beyond an export: the version, the help beyond the
// usage box, the caches found in a home folder, and the progress and summary on a terminal.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/host_files.h"
#include "support/scratch_folder.h"

namespace fs = std::filesystem;

namespace murel {
namespace {

class UserViewTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(scratch.empty()); }

  // Runs `command` (a shell command; "murel" stands for the program) in the scratch folder with
  // standard output and error in files; its exit status.
  int Shell(const std::string& command) {
    const std::string line = "cd '" + scratch.string() + "' && murel() { '" + MUREL_BINARY +
                             "' \"$@\"; } && { " + command + "; } >stdout.txt 2>stderr.txt";
    const int status = std::system(line.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  // The program's path as a shell word, for commands such as env that run no shell function.
  std::string Program() { return std::string("'") + MUREL_BINARY + "'"; }
  std::string Out() { return ReadAll(scratch / "stdout.txt"); }
  std::string Err() { return ReadAll(scratch / "stderr.txt"); }

  ScratchFolder folder_{"view"};
  const fs::path& scratch = folder_.path();
};

TEST_F(UserViewTest, VersionTellsTheVersionAndTheFormats) {
  ASSERT_EQ(Shell("murel --version"), 0);
  EXPECT_EQ(Out().rfind("murel 1.", 0), 0u) << Out();
  EXPECT_NE(Out().find("\nReads: WinINet index.dat"), std::string::npos) << Out();
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
  for (const char* option : {"-c cache", "--raw", "--list-caches", "--version",
                             "Formats read: WinINet index.dat", "Compressions undone: gzip"}) {
    EXPECT_NE(help.find(option, usage.size()), std::string::npos) << option;
  }
}

// A home folder where Chromium, an Electron app, Firefox and Wine have left their caches: the
// sample caches, which those programs wrote, put where each keeps its cache.
void MakeHome(const fs::path& home) {
  const fs::path samples = fs::path(MUREL_SOURCE_DIR) / "samples";
  const fs::path windowsUser = home / ".wine/drive_c/users/me/AppData/Local";
  const std::pair<const char*, fs::path> caches[] = {
      {"chromium-cache", home / ".cache/chromium/Default/Cache/Cache_Data"},
      {"chromium-cache", home / ".config/Code/Cache/Cache_Data"},
      {"firefox-cache/cache2", home / ".cache/mozilla/firefox/ab12cd34.default-esr/cache2"},
      {"cache", windowsUser / "Microsoft/Windows/INetCache/Content.IE5"},
      {"chromium-cache", windowsUser / "Google/Chrome/User Data/Profile 1/Cache/Cache_Data"},
  };
  for (const auto& [sample, place] : caches) {
    fs::create_directories(place.parent_path());
    fs::copy(samples / sample, place, fs::copy_options::recursive);
  }
  // Folders where no cache is must not be listed.
  fs::create_directories(home / ".cache/google-chrome/Default/Cache");
  fs::create_directories(home / ".config/Slack/Cache");
}

TEST_F(UserViewTest, ListCachesFindsEveryCacheInTheHomeAndEachExports) {
  MakeHome(scratch / "home");
  fs::copy_file(fs::path(MUREL_SOURCE_DIR) / "samples/murel.ini", scratch / "murel.ini");
  const std::string env =
      "env -i PATH=\"$PATH\" HOME='" + (scratch / "home").string() + "' USER=me ";
  ASSERT_EQ(Shell(env + Program() + " --list-caches"), 0) << Err();
  std::istringstream out(Out());
  std::string line;
  std::getline(out, line);  // the caption
  std::vector<std::string> found;
  while (std::getline(out, line)) found.push_back(line);
  const std::string home = (scratch / "home").string();
  const std::vector<std::string> expected{
      "Chromium        5 entries     2.8 KB  " + home + "/.cache/chromium/Default/Cache",
      "Firefox         4 entries     2.9 KB  " + home +
          "/.cache/mozilla/firefox/ab12cd34.default-esr/cache2",
      "Chromium        5 entries     2.8 KB  " + home + "/.config/Code/Cache",
      "WinINet        30 entries    34.6 KB  " + home +
          "/.wine/drive_c/users/me/AppData/Local/Microsoft/Windows/INetCache/Content.IE5",
      "Chromium        5 entries     2.8 KB  " + home +
          "/.wine/drive_c/users/me/AppData/Local/Google/Chrome/User Data/Profile 1/Cache",
  };
  EXPECT_EQ(found, expected);
  // Each listed path is one to give -c.
  for (std::size_t i = 0; i < found.size(); ++i) {
    const std::string path = found[i].substr(found[i].find("  /") + 2);
    const std::string out_dir = "out" + std::to_string(i);
    ASSERT_EQ(Shell("murel -c '" + path + "' " + out_dir), 0) << path << Err();
    EXPECT_NE(ReadAll(scratch / out_dir / "urls.txt"), "") << path;
  }
}

// In the user's language: Russian for the C locale, English for another.
TEST_F(UserViewTest, ListCachesInAnEmptyHomeSaysSoWithStatusOne) {
  fs::create_directories(scratch / "home");
  const std::string env = "env -i HOME='" + (scratch / "home").string() + "' ";
  EXPECT_EQ(Shell(env + "LANG=en_US.UTF-8 " + Program() + " --list-caches"), 1);
  EXPECT_NE(Out().find("No cache found"), std::string::npos) << Out();
  EXPECT_EQ(Shell(env + "LANG=C " + Program() + " --list-caches"), 1);
  EXPECT_NE(Out().find("\xD0\xBA\xD1\x8D\xD1\x88 \xD0\xBD\xD0\xB5"), std::string::npos)
      << Out();  // "кэш не"
}

// With a stack limit past the address space no thread can start (a thread's stack is as large
// as the limit), so each cache is read on the program's one thread; the check that a thread
// indeed cannot start keeps the test from passing where the limit stops nothing.
TEST_F(UserViewTest, WhereNoThreadCanStartCachesAreReadOnTheOneThread) {
  const std::string noThreads = "ulimit -s 200000000000 && ";
  ASSERT_NE(Shell(noThreads + "python3 -c 'import threading; threading.Thread().start()'"), 0);
  const fs::path firefox = scratch / "home/.cache/mozilla/firefox/p/cache2";
  fs::create_directories(firefox.parent_path());
  fs::copy(fs::path(MUREL_SOURCE_DIR) / "samples/firefox-cache/cache2", firefox,
           fs::copy_options::recursive);
  fs::copy_file(fs::path(MUREL_SOURCE_DIR) / "samples/murel.ini", scratch / "murel.ini");
  ASSERT_EQ(Shell(noThreads + "murel -c '" + firefox.string() + "' out"), 0) << Err();
  EXPECT_EQ(Out(), "");
  const std::string listing = ReadAll(scratch / "out/urls.txt");
  EXPECT_EQ(std::count(listing.begin(), listing.end(), '\n'), 4) << listing;
  const fs::path home = scratch / "home";
  ASSERT_EQ(Shell(noThreads + "HOME='" + home.string() + "' XDG_CACHE_HOME='" +
                  (home / ".cache").string() + "' murel --list-caches"),
            0)
      << Err();
  EXPECT_NE(Out().find("Firefox        4 entries"), std::string::npos) << Out();
}

// The progress and the summary go to standard error only when that is a terminal: under `script`,
// which runs the program on a pseudo-terminal and copies what it shows to standard output.
TEST_F(UserViewTest, TerminalShowsProgressAndSummaryAndAPipeShowsNeither) {
  const fs::path samples = fs::path(MUREL_SOURCE_DIR) / "samples";
  fs::copy(samples / "cache", scratch / "cache", fs::copy_options::recursive);
  fs::copy_file(samples / "murel.ini", scratch / "murel.ini");
  const std::string english = "env -u LC_ALL -u LC_MESSAGES LANG=en_US.UTF-8 ";
  const std::string onTerminal = english + "script -qec \"" + Program() + " -c cache out";
  ASSERT_EQ(Shell(onTerminal + " http://example.com/\" /dev/null"), 0) << Err();
  const std::string first = Out();
  EXPECT_NE(first.find("\r\x1b[Kmurel: 1 entries, 0 files written"), std::string::npos) << first;
  const std::string folder = (scratch / "out").string() + "/";
  EXPECT_NE(first.find("\r\x1b[Kmurel: 30 entries seen, 17 exported, 0 unchanged, 13 not "
                       "selected, 0 without a body, 0 failed -> " +
                       folder + "\r\n"),
            std::string::npos)
      << first;
  ASSERT_EQ(Shell(onTerminal + "\" /dev/null"), 0) << Err();
  EXPECT_NE(Out().find("30 entries seen, 13 exported, 17 unchanged, 0 not selected"),
            std::string::npos)
      << Out();
  // A cache of one file an entry tells its total before the reading; in Russian for the C
  // locale: "записей: 1 из 4, записано файлов: 1".
  fs::copy(samples / "firefox-cache", scratch / "firefox", fs::copy_options::recursive);
  ASSERT_EQ(Shell("env -u LC_ALL -u LC_MESSAGES LANG=C script -qec \"" + Program() +
                  " -c firefox fout\" /dev/null"),
            0)
      << Err();
  EXPECT_NE(
      Out().find(
          "\r\x1b[Kmurel: \xD0\xB7\xD0\xB0\xD0\xBF\xD0\xB8\xD1\x81\xD0\xB5\xD0\xB9: 1 "
          "\xD0\xB8\xD0\xB7 4, \xD0\xB7\xD0\xB0\xD0\xBF\xD0\xB8\xD1\x81\xD0\xB0\xD0\xBD\xD0\xBE "
          "\xD1\x84\xD0\xB0\xD0\xB9\xD0\xBB\xD0\xBE\xD0\xB2: 1"),
      std::string::npos)
      << Out();
  // Quiet on a terminal, and through a pipe: nothing, as before.
  ASSERT_EQ(Shell("script -qec \"" + Program() + " -nm -c cache out\" /dev/null"), 0);
  EXPECT_EQ(Out(), "");
  ASSERT_EQ(Shell(Program() + " -c cache out 2>&1 | cat"), 0);
  EXPECT_EQ(Out(), "");
  EXPECT_EQ(Err(), "");
}

}  // namespace
}  // namespace murel

// The native program as a new Linux user first meets it: started from an empty working folder
// with a home of its own and the XDG variables the test sets, and nothing else of the caller's.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/firefox_entry_writer.h"
#include "support/host_files.h"
#include "support/scratch_folder.h"

namespace fs = std::filesystem;

namespace murel {
namespace {

// The one sample page that the runs select, and where the sample rules put it.
constexpr const char* kPage = "http://example.com/style.css";
constexpr const char* kPagePath = "http/example.com/style.css";

// Rules that put every page under a folder named `tag`, so that a tree tells which file ruled.
std::string TaggedRules(const std::string& tag) {
  return "[all]\nscheme\nany\n://\n-" + tag +
         "\\\n{empty}\n{empty}\nslash\nany\n/\n\\\n{empty}\n{empty}\n";
}

void Write(const fs::path& file, const std::string& text) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << text;
}

class FirstRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(scratch.empty());
    fs::create_directories(scratch / "work");
    fs::create_directories(scratch / "home");
    fs::copy(fs::path(MUREL_SOURCE_DIR) / "samples/cache", scratch / "cache",
             fs::copy_options::recursive);
  }

  // Runs `program` (default: the built one) with `arguments` in the working folder, in English,
  // with the home folder and `xdg` (variable assignments) as its whole environment; its status.
  int Run(const std::string& arguments, const std::string& xdg = "",
          const std::string& program = MUREL_BINARY, const std::string& prefix = "") {
    const std::string command = "cd '" + (scratch / "work").string() + "' && " + prefix +
                                "env -i PATH=\"$PATH\" LANG=en_US.UTF-8 HOME='" +
                                (scratch / "home").string() + "' " + xdg + " '" + program + "' " +
                                arguments + " >'" + (scratch / "stdout.txt").string() + "' 2>'" +
                                (scratch / "stderr.txt").string() + "'";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string Out() { return ReadAll(scratch / "stdout.txt"); }
  std::string Err() { return ReadAll(scratch / "stderr.txt"); }
  std::string Path(const std::string& relative) { return (scratch / relative).string(); }

  ScratchFolder folder_{"first"};
  const fs::path& scratch = folder_.path();
};

TEST_F(FirstRunTest, RulesComeFromTheCurrentFolderThenXdgConfigHomeThenXdgConfigDirs) {
  const fs::path places[] = {scratch / "work/murel.ini", scratch / "config/murel/murel.ini",
                             scratch / "sys1/murel/murel.ini", scratch / "sys2/murel/murel.ini"};
  const char* tags[] = {"work", "config", "sys1", "sys2"};
  for (int i = 0; i < 4; ++i) Write(places[i], TaggedRules(tags[i]));
  const std::string xdg = "XDG_CONFIG_HOME='" + Path("config") + "' XDG_CONFIG_DIRS='" +
                          Path("sys1") + ":relative:" + Path("sys2") + "'";
  for (int i = 0; i < 4; ++i) {
    const std::string out = std::string("out-") + tags[i];
    ASSERT_EQ(Run("-c ../cache " + out + " " + kPage, xdg), 0) << tags[i] << Err();
    EXPECT_TRUE(fs::is_regular_file(scratch / "work" / out / ("http-" + std::string(tags[i])) /
                                    "example.com/style.css"))
        << tags[i];
    ASSERT_EQ(Run("--help", xdg), 0);
    EXPECT_NE(Out().find("Rules in use: " + places[i].string() + "\n"), std::string::npos) << Out();
    fs::remove(places[i]);
  }
  // Where the variables are unset: ~/.config, then /etc/xdg, which the help names.
  Write(scratch / "home/.config/murel/murel.ini", TaggedRules("home"));
  ASSERT_EQ(Run("-c ../cache out-home " + std::string(kPage)), 0) << Err();
  EXPECT_TRUE(fs::is_regular_file(scratch / "work/out-home/http-home/example.com/style.css"));
  ASSERT_EQ(Run("--help"), 0);
  EXPECT_NE(Out().find("looked for in this order:\n- " + Path("work") + "\n- " +
                       Path("home/.config/murel") + "\n- /etc/xdg/murel\n"),
            std::string::npos)
      << Out();
}

// Without rules each URL is a path as it is, which the export refuses: every failure says so,
// and the run ends with one note of where the rules were looked for, and status 4.
TEST_F(FirstRunTest, WithoutRulesTheFailuresSayWhyAndWhereRulesWereLookedFor) {
  const std::string xdg = "XDG_CONFIG_DIRS='" + Path("nowhere") + "'";
  EXPECT_EQ(Run("-c ../cache out http://example.com/", xdg), 4);
  const std::string err = Err();
  EXPECT_NE(err.find("Copy error\n" + Path("cache/")), std::string::npos) << err;
  EXPECT_NE(err.find("\nhttp://example.com/style.css -> " + Path("work/out/http://example.com") +
                     "/style.css\nthe target would lie outside the export folder\n"),
            std::string::npos)
      << err;
  const std::string note =
      "No rules file murel.ini was found, so each URL was used as a path as it is. Looked for in "
      "the folders\n- " +
      Path("work") + "\n- " + Path("home/.config/murel") + "\n- " + Path("nowhere/murel") + "\n";
  ASSERT_NE(err.find(note), std::string::npos) << err;
  EXPECT_EQ(err.find(note), err.size() - note.size()) << "once, at the end";
  // Quiet: nothing said, the status the same.
  EXPECT_EQ(Run("-nm -c ../cache out http://example.com/", xdg), 4);
  EXPECT_EQ(Err(), "");
}

TEST_F(FirstRunTest, InstalledSampleRulesAreFoundBelowTheInstallPrefix) {
  const std::string prefix = Path("prefix");
  const std::string install = std::string("'") + MUREL_CMAKE + "' --install '" + MUREL_BUILD_DIR +
                              "' --prefix '" + prefix + "' >/dev/null";
  ASSERT_EQ(std::system(install.c_str()), 0);
  ASSERT_TRUE(fs::is_regular_file(prefix + "/etc/xdg/murel/murel.ini"));
  const std::string xdg = "XDG_CONFIG_DIRS='" + prefix + "/etc/xdg'";
  ASSERT_EQ(Run("-c ../cache out", xdg, prefix + "/bin/murel"), 0) << Err();
  EXPECT_EQ(Err(), "");
  EXPECT_EQ(ReadAll(scratch / "work/out" / kPagePath),
            ReadAll(fs::path(MUREL_SOURCE_DIR) / "samples/pages/style.css"));
}

TEST_F(FirstRunTest, NoPathExportsIntoTheCurrentFolder) {
  fs::copy_file(fs::path(MUREL_SOURCE_DIR) / "samples/murel.ini", scratch / "work/murel.ini");
  ASSERT_EQ(Run("-c ../cache"), 0) << Err();
  EXPECT_NE(ReadAll(scratch / "work/urls.txt").find(Path("work") + "/" + kPagePath),
            std::string::npos);
  EXPECT_TRUE(fs::is_regular_file(scratch / "work" / kPagePath));
}

// A folder that the program may not write in. Root may write anywhere, so as root the program
// runs as the user "nobody" (setpriv), for whom the test's folders are opened up.
TEST_F(FirstRunTest, UnwritableTargetSaysWhyAndEndsWithStatusFour) {
  fs::copy_file(fs::path(MUREL_SOURCE_DIR) / "samples/murel.ini", scratch / "work/murel.ini");
  const fs::path locked = scratch / "work/out/http/example.com";
  fs::create_directories(locked);
  for (const fs::path& open : {scratch, scratch / "work", scratch / "work/out",
                               scratch / "work/out/http", scratch / "home"}) {
    fs::permissions(open, fs::perms::all);
  }
  fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                              fs::perms::group_exec | fs::perms::others_read |
                              fs::perms::others_exec);
  const std::string asUser =
      geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
  EXPECT_EQ(Run("-c ../cache out " + std::string(kPage), "", MUREL_BINARY, asUser), 4);
  const std::string err = Err();
  EXPECT_EQ(err.rfind("Copy error\n" + Path("cache/"), 0), 0u) << err;
  EXPECT_NE(err.find("style[0].css\n" + std::string(kPage) + " -> " + locked.string() +
                     "/style.css\nthe target cannot be written: Permission denied\n"),
            std::string::npos)
      << err;
  EXPECT_EQ(Run("-nm -c ../cache out " + std::string(kPage), "", MUREL_BINARY, asUser), 4);
  EXPECT_EQ(Err(), "");
  // Once the folder may be written, the run is clean.
  fs::permissions(locked, fs::perms::owner_write, fs::perm_options::add);
  EXPECT_EQ(Run("-c ../cache out " + std::string(kPage)), 0);
  EXPECT_EQ(Err(), "");
}

TEST_F(FirstRunTest, UndecodableBodySaysWhyAndEndsWithStatusFour) {
  FirefoxEntryPlan plan;
  plan.key = ":http://h/packed";
  plan.data = "these bytes are no zstd frame";
  plan.elements = {{"request-method", "GET"},
                   {"response-head", "HTTP/1.1 200 OK\r\nContent-Encoding: zstd\r\n"}};
  const fs::path entry = scratch / "firefox/cache2/entries" / std::string(40, 'A');
  Write(entry, FirefoxEntryFile(plan));
  fs::copy_file(fs::path(MUREL_SOURCE_DIR) / "samples/murel.ini", scratch / "work/murel.ini");
  EXPECT_EQ(Run("-c ../firefox out"), 4);
  EXPECT_EQ(Err(), "Copy error\n" + entry.string() + "\nhttp://h/packed -> " +
                       Path("work/out/http/h/packed") + "\nthe body cannot be decoded (zstd)\n");
  EXPECT_FALSE(fs::exists(scratch / "work/out/http/h/packed"));
}

}  // namespace
}  // namespace murel

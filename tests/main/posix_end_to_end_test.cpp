// The native program run as a user runs it: on a copy of the sample cache, in a scratch folder
// that holds the sample rules, with the export tree and "urls.txt" compared byte for byte.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/firefox_entry_writer.h"
#include "support/host_files.h"
#include "support/scratch_folder.h"

namespace fs = std::filesystem;

namespace murel {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class EndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The folder's name has a fixed length: paths over 235 characters take numbered names, so
    // the expected tree holds only for roots of this length.
    ASSERT_FALSE(scratch.empty());
    const fs::path samples = fs::path(MUREL_SOURCE_DIR) / "samples";
    fs::copy(samples / "cache", scratch / "cache", fs::copy_options::recursive);
    fs::copy_file(samples / "murel.ini", scratch / "murel.ini");
  }

  // Runs the program in the scratch folder with `arguments` (shell words); its exit status.
  // `environment` (shell assignments) is set for the program alone.
  int Run(const std::string& arguments, const std::string& environment = "") {
    const std::string command = "cd '" + scratch.string() + "' && " + environment + " '" +
                                MUREL_BINARY + "' " + arguments + " >stdout.txt 2>stderr.txt";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  // The listing with the scratch folder's path written as "<scratch>".
  std::string Listing() {
    std::string text = ReadAll(scratch / "out" / "urls.txt");
    const std::string root = scratch.string();
    for (std::size_t at = text.find(root); at != std::string::npos; at = text.find(root, at)) {
      text.replace(at, root.size(), "<scratch>");
    }
    return text;
  }

  ScratchFolder folder_{"e2e"};
  const fs::path& scratch = folder_.path();
};

// Each file below `root` by name, with what tells whether it was written again: its inode, its
// modification time and its size.
std::map<std::string, std::string> Identities(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& item : fs::recursive_directory_iterator(root)) {
    struct stat info {};
    ::lstat(item.path().c_str(), &info);
    files[fs::relative(item.path(), root).string()] =
        std::to_string(info.st_ino) + " " + std::to_string(info.st_mtim.tv_sec) + "." +
        std::to_string(info.st_mtim.tv_nsec) + " " + std::to_string(info.st_size);
  }
  return files;
}

// A Firefox cache of a few pages, one with a long URL, in "firefox".
void WriteFirefoxCache(const fs::path& scratch) {
  const fs::path entries = scratch / "firefox" / "cache2" / "entries";
  fs::create_directories(entries);
  for (int i = 0; i < 4; ++i) {
    FirefoxEntryPlan plan;
    plan.key = ":http://site/" + std::string(i == 3 ? 300 : 1, 'p') + std::to_string(i);
    plan.data = "page " + std::to_string(i);
    std::ofstream(entries / std::string(40, static_cast<char>('A' + i)), std::ios::binary)
        << FirefoxEntryFile(plan);
  }
}

// A re-run over an unchanged cache writes nothing into the export folder: every file keeps its
// inode, time and size, the listing included, and murel keeps no file of its own there.
TEST_F(EndToEndTest, UnchangedRerunChangesNothingInTheExportFolder) {
  WriteFirefoxCache(scratch);
  for (const std::string cache : {"cache", "firefox"}) {
    const std::string out = "out-" + cache;
    ASSERT_EQ(Run("-nm -c " + cache + " " + out), 0);
    const std::map<std::string, std::string> before = Identities(scratch / out);
    EXPECT_EQ(before.count("urls.txt"), 1u);
    EXPECT_EQ(before.count(".murel-memo"), 0u);
    ASSERT_EQ(Run("-nm -c " + cache + " " + out), 0);
    EXPECT_EQ(Identities(scratch / out), before) << cache;
  }
}

// Where no memo can be kept (the user's cache folder is a file), the export goes on unharmed.
TEST_F(EndToEndTest, MemoThatCannotBeWrittenCostsNoFailure) {
  WriteFirefoxCache(scratch);
  std::ofstream(scratch / "blocked") << "no folder";
  const std::string environment = "XDG_CACHE_HOME='" + (scratch / "blocked").string() + "'";
  ASSERT_EQ(Run("-c firefox out", environment), 0) << ReadAll(scratch / "stderr.txt");
  ASSERT_EQ(Run("-c firefox out", environment), 0) << ReadAll(scratch / "stderr.txt");
  EXPECT_EQ(ReadAll(scratch / "stderr.txt"), "");
  EXPECT_EQ(ReadAll(scratch / "out/http/site/p0"), "page 0");
  EXPECT_EQ(Lines(ReadAll(scratch / "out/urls.txt")).size(), 4u);
}

TEST_F(EndToEndTest, SampleCacheExportsTheExpectedTreeAndListing) {
  ASSERT_EQ(Run("-c cache out"), 0) << ReadAll(scratch / "stderr.txt");
  const fs::path expected = fs::path(MUREL_SOURCE_DIR) / "tests" / "data";
  EXPECT_EQ(Listing(), ReadAll(expected / "sample-urls.txt"));
  std::ostringstream tree;
  for (const std::string& name : TreeOf(scratch / "out")) tree << name << "\n";
  EXPECT_EQ(tree.str(), ReadAll(expected / "sample-tree.txt"));
  // Every listed page holds the bytes of its cached file.
  EXPECT_EQ(ReadAll(scratch / "out/http/example.com/style.css"),
            ReadAll(fs::path(MUREL_SOURCE_DIR) / "samples/pages/style.css"));
  EXPECT_EQ(ReadAll(scratch / "stderr.txt"), "");
}

TEST_F(EndToEndTest, ListOnlyCreatesTheRootAndTheListingOnly) {
  ASSERT_EQ(Run("-l -c cache out"), 0);
  EXPECT_EQ(TreeOf(scratch / "out"), std::vector<std::string>{"urls.txt"});
  const std::vector<std::string> lines = Lines(ReadAll(scratch / "out" / "urls.txt"));
  ASSERT_EQ(lines.size(), 30u);
  for (const std::string& line : lines) {
    EXPECT_EQ(line.back(), '\r');
    EXPECT_EQ(line.find('\t'), std::string::npos) << line;
  }
}

TEST_F(EndToEndTest, TolvarFormatKeepsFtpAndWritesNoListing) {
  ASSERT_EQ(Run("-e -c cache out"), 0);
  EXPECT_FALSE(fs::exists(scratch / "out" / "urls.txt"));
  EXPECT_TRUE(fs::is_regular_file(scratch / "out/example.com/index.html"));
  EXPECT_TRUE(fs::is_regular_file(scratch / "out/ftp/ftp.example.net/pub/readme.txt"));
  EXPECT_FALSE(fs::exists(scratch / "out/https"));  // only http and ftp entries
  EXPECT_FALSE(fs::exists(scratch / "out/http"));
}

TEST_F(EndToEndTest, TolvarListOnlyWritesNothingButTheRoot) {
  ASSERT_EQ(Run("-e -l -c cache out"), 0);
  EXPECT_TRUE(fs::is_directory(scratch / "out"));
  EXPECT_TRUE(TreeOf(scratch / "out").empty());
}

TEST_F(EndToEndTest, FilterSelectsByPrefixWithoutRegardToCase) {
  ASSERT_EQ(Run("-l -c cache out HTTP://NEWS."), 0);
  const std::vector<std::string> lines = Lines(ReadAll(scratch / "out" / "urls.txt"));
  EXPECT_EQ(lines.size(), 4u);
  for (const std::string& line : lines) EXPECT_EQ(line.rfind("http://news.", 0), 0u) << line;
}

TEST_F(EndToEndTest, CacheThatCannotBeOpenedLeavesAnEmptyListing) {
  EXPECT_EQ(Run("-c missing out"), 1);
  EXPECT_EQ(ReadAll(scratch / "out" / "urls.txt"), "");
  EXPECT_NE(ReadAll(scratch / "stderr.txt"), "");
  EXPECT_EQ(Run("-nm -c missing out"), 1);
  EXPECT_EQ(ReadAll(scratch / "stderr.txt"), "");
}

TEST_F(EndToEndTest, UnknownOptionEndsWithStatusTwoAndNamesIt) {
  EXPECT_EQ(Run("-x out"), 2);
  EXPECT_NE(ReadAll(scratch / "stderr.txt").find("-x"), std::string::npos);
  EXPECT_FALSE(fs::exists(scratch / "out"));
}

TEST_F(EndToEndTest, SecondRunCopiesOnlyWhatIsNewer) {
  ASSERT_EQ(Run("-c cache out"), 0);
  const fs::path page = scratch / "out/http/example.com/style.css";
  struct stat before {};
  ASSERT_EQ(::stat(page.c_str(), &before), 0);
  const fs::path other = scratch / "out/http/example.com/index.html";
  struct stat otherBefore {};
  ASSERT_EQ(::stat(other.c_str(), &otherBefore), 0);

  // Unchanged cache: nothing is copied, so the targets keep their inodes.
  ASSERT_EQ(Run("-c cache out"), 0);
  struct stat after {};
  ASSERT_EQ(::stat(page.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);

  // A newer cached file is copied again (a new file renamed into place), the others are not.
  fs::path cached;
  for (const auto& item : fs::recursive_directory_iterator(scratch / "cache")) {
    if (item.path().filename() == "style[0].css") cached = item.path();
  }
  ASSERT_FALSE(cached.empty());
  std::ofstream(cached, std::ios::app) << "/* newer */\n";
  fs::last_write_time(cached, fs::last_write_time(cached) + std::chrono::hours(1));
  ASSERT_EQ(Run("-c cache out"), 0);
  EXPECT_EQ(ReadAll(page), ReadAll(cached));
  EXPECT_EQ(fs::last_write_time(page), fs::last_write_time(cached));
  struct stat otherAfter {};
  ASSERT_EQ(::stat(other.c_str(), &otherAfter), 0);
  EXPECT_EQ(otherAfter.st_ino, otherBefore.st_ino);
}

}  // namespace
}  // namespace murel

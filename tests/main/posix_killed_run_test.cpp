// The native program killed part way through a large export, then run again: the rerun must
// leave exactly the tree and listing of a run that was never interrupted, with no partial copy
// and no copy's temporary file.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>

#include "support/firefox_entry_writer.h"
#include "support/host_files.h"
#include "support/scratch_folder.h"
#include "support/synthetic_cache.h"

namespace fs = std::filesystem;

namespace murel {
namespace {

constexpr std::size_t kEntries = 3000;
constexpr std::size_t kBigFiles = 6;
constexpr std::size_t kBigFileSize = 8 << 20;

// Every name under `root` with, for files, the content's size, a digest, the permission bits and
// the modification time: what two exports must share.
std::map<std::string, std::string> Snapshot(const fs::path& root) {
  std::map<std::string, std::string> tree;
  for (const auto& item : fs::recursive_directory_iterator(root)) {
    const std::string name = fs::relative(item.path(), root).string();
    if (item.is_directory()) {
      tree[name + "/"] = "";
      continue;
    }
    // The listing is compared apart.
    if (name == "urls.txt") continue;
    struct stat info {};
    ::stat(item.path().c_str(), &info);
    const std::string content = ReadAll(item.path());
    tree[name] = std::to_string(content.size()) + " " +
                 std::to_string(std::hash<std::string>()(content)) + " " +
                 std::to_string(info.st_mode & 07777) + " " + std::to_string(info.st_mtim.tv_sec) +
                 "." + std::to_string(info.st_mtim.tv_nsec);
  }
  return tree;
}

// `tree` without what a kill between the two moves that turn a page into its directory's "__"
// leaves: the page under the system's temporary name "<hex>.TMP" beside the directory, or that
// name's empty placeholder. The rerun exports the page into the directory again, so the leftover
// is a copy of a page of `expected` (nothing is lost); the system's temporary names cannot be told
// from a user's files, so no run deletes them.
std::map<std::string, std::string> WithoutMovedAsidePages(
    std::map<std::string, std::string> tree, const std::map<std::string, std::string>& expected) {
  const auto contentOf = [](const std::string& facts) {
    return facts.substr(0, facts.find(' ', facts.find(' ') + 1));
  };
  std::set<std::string> pages{"0 " + std::to_string(std::hash<std::string>()(""))};
  for (const auto& [name, facts] : expected) {
    if (!facts.empty()) pages.insert(contentOf(facts));
  }
  for (auto it = tree.begin(); it != tree.end();) {
    const std::string leaf = it->first.substr(it->first.rfind('/') + 1);
    const bool temporaryName = leaf.size() >= 5 && leaf.size() <= 8 &&
                               leaf.compare(leaf.size() - 4, 4, ".TMP") == 0 &&
                               leaf.find_first_not_of("0123456789ABCDEF") == leaf.size() - 4;
    const bool leftover =
        temporaryName && expected.count(it->first) == 0 && pages.count(contentOf(it->second)) != 0;
    it = leftover ? tree.erase(it) : std::next(it);
  }
  return tree;
}

class KilledRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(scratch.empty());
    fs::create_directory(scratch / "cache");
    const std::vector<SyntheticEntry> entries = PlanSyntheticCache(kEntries, 7);
    ASSERT_TRUE(WriteSyntheticCache((scratch / "cache").string(), entries,
                                    IndexDatWriter::Version::k52, true));
    // Some large files, so that a kill often lands inside a copy.
    for (std::size_t i = 0; i < kBigFiles; ++i) {
      const SyntheticEntry& entry = entries[i * entries.size() / kBigFiles + 1];
      std::ofstream(scratch / "cache" / entry.directory / entry.fileName, std::ios::binary)
          << std::string(kBigFileSize, static_cast<char>('a' + i));
    }
    fs::copy_file(fs::path(MUREL_SOURCE_DIR) / "samples" / "murel.ini", scratch / "murel.ini");
  }

  // Starts the program exporting the cache into `out`; its process number.
  pid_t Start(const std::string& out) {
    const pid_t child = fork();
    if (child == 0) {
      if (chdir(scratch.c_str()) != 0) _exit(127);
      execl(MUREL_BINARY, MUREL_BINARY, "-nm", "-c", cache.c_str(), out.c_str(), nullptr);
      _exit(127);
    }
    return child;
  }
  // Runs the export to its end; its exit status.
  int Finish(const std::string& out) {
    int status = 0;
    waitpid(Start(out), &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  // Runs the export and kills it after `delay`; true if it was still running then.
  bool KillAfter(const std::string& out, std::chrono::microseconds delay) {
    const pid_t child = Start(out);
    std::this_thread::sleep_for(delay);
    const bool killed = ::kill(child, SIGKILL) == 0;
    int status = 0;
    waitpid(child, &status, 0);
    return killed && WIFSIGNALED(status);
  }
  // The listing with its root's name written as "<root>".
  std::string Listing(const std::string& out) {
    std::string text = ReadAll(scratch / out / "urls.txt");
    const std::string root = (scratch / out).string();
    for (std::size_t at = text.find(root); at != std::string::npos; at = text.find(root, at)) {
      text.replace(at, root.size(), "<root>");
    }
    return text;
  }

  // A Firefox cache in "firefox" of as many entries, some of them large, to export instead.
  void UseFirefoxCache() {
    const fs::path entries = scratch / "firefox" / "cache2" / "entries";
    fs::create_directories(entries);
    for (std::size_t i = 0; i < kEntries; ++i) {
      FirefoxEntryPlan plan;
      plan.key = ":http://site" + std::to_string(i % 7) + "/d" + std::to_string(i % 40) + "/p" +
                 std::to_string(i) + ".html";
      plan.data = i % (kEntries / kBigFiles) == 1 ? std::string(kBigFileSize, 'b')
                                                  : "page " + std::to_string(i);
      plan.lastModified += static_cast<std::uint32_t>(i);
      char name[41];
      std::snprintf(name, sizeof name, "%040zX", i);
      std::ofstream(entries / name, std::ios::binary) << FirefoxEntryFile(plan);
    }
    cache = "firefox";
  }

  void ExpectRerunsAfterKillsLeaveTheTreeOfAnUninterruptedRun();

  ScratchFolder folder_{"kill"};
  const fs::path& scratch = folder_.path();
  std::string cache = "cache";
};

void KilledRunTest::ExpectRerunsAfterKillsLeaveTheTreeOfAnUninterruptedRun() {
  ASSERT_EQ(Finish("ref"), 0);
  // The kills are timed against a run with the cache already read once, as every later run has
  // it: the first run is slower, and a kill timed by it could land after a later run's end.
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(Finish("wrm"), 0);
  const auto whole = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - start);
  const std::map<std::string, std::string> expected = Snapshot(scratch / "ref");
  ASSERT_GT(expected.size(), kEntries);

  // One export killed ever later, each kill followed by the next attempt on the same tree; and
  // for each fraction, a fresh export killed once and run again.
  int kills = 0;
  for (const int percent : {5, 20, 40, 60, 80, 95}) {
    const auto delay = whole * percent / 100;
    kills += KillAfter("out", delay);
    // Roots of one length: the length decides which paths take numbered names.
    const std::string fresh = "k" + std::string(percent < 10 ? "0" : "") + std::to_string(percent);
    kills += KillAfter(fresh, delay);
    ASSERT_EQ(Finish(fresh), 0);
    EXPECT_EQ(WithoutMovedAsidePages(Snapshot(scratch / fresh), expected), expected)
        << "killed once at " << percent << "%";
    EXPECT_EQ(Listing(fresh), Listing("ref")) << "killed once at " << percent << "%";
  }
  EXPECT_GE(kills, 4) << "kills land before the run ends";
  ASSERT_EQ(Finish("out"), 0);
  EXPECT_EQ(WithoutMovedAsidePages(Snapshot(scratch / "out"), expected), expected)
      << "killed six times";
  EXPECT_EQ(Listing("out"), Listing("ref"));
}

TEST_F(KilledRunTest, RerunsAfterKillsLeaveTheTreeOfAnUninterruptedRun) {
  ExpectRerunsAfterKillsLeaveTheTreeOfAnUninterruptedRun();
}

// Bodies written from a browser's cache files, with the memo of the entry files kept.
TEST_F(KilledRunTest, RerunsAfterKillsOverABrowserCacheLeaveTheTreeOfAnUninterruptedRun) {
  UseFirefoxCache();
  ExpectRerunsAfterKillsLeaveTheTreeOfAnUninterruptedRun();
}

}  // namespace
}  // namespace murel

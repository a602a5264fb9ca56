// The native program on a cache whose URLs attack the export: it must end normally, write
// nothing beside its export folder, and export every ordinary entry.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host_files.h"
#include "hostile_cache.h"
#include "scratch_folder.h"

namespace fs = std::filesystem;

namespace murel {
namespace {

TEST(HostileCacheEndToEnd, NothingLeavesTheRootAndOrdinaryEntriesAreExported) {
  const ScratchFolder folder("hostile");
  const fs::path& scratch = folder.path();
  ASSERT_FALSE(scratch.empty());
  // The export lies two levels down, so that climbing one or two levels lands in watched folders.
  const fs::path root = scratch / "a" / "b" / "out";
  fs::create_directories(root.parent_path());
  std::ofstream(scratch / "a" / "keep.txt") << "keep";
  fs::create_directory(scratch / "cache");
  ASSERT_TRUE(WriteHostileCache((scratch / "cache").string()));
  fs::copy_file(fs::path(MUREL_SOURCE_DIR) / "samples" / "murel.ini", scratch / "murel.ini");
  const std::vector<std::string> before = TreeOf(scratch, root);

  const std::string command = "cd '" + scratch.string() + "' && '" + MUREL_BINARY +
                              "' -nm -c cache a/b/out >/dev/null 2>&1";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status)) << "the program did not end normally";
  EXPECT_EQ(WEXITSTATUS(status), 4) << "the hostile entries fail";
  EXPECT_EQ(TreeOf(scratch, root), before) << "something was written beside the export";
  for (const ExpectedExport& entry : HostileCacheOrdinaryEntries()) {
    EXPECT_EQ(ReadAll(root / entry.path), entry.content) << entry.url;
  }
  EXPECT_EQ(ReadAll(root / "http" / "host" / "same.html"), "same");
  // Every entry has its listing line, the 3,000 of one URL included, and no more: a URL with
  // line ends and tabs forges none, nor a name that holds them.
  const std::string listing = ReadAll(root / "urls.txt");
  EXPECT_EQ(static_cast<std::size_t>(std::count(listing.begin(), listing.end(), '\n')),
            HostileCacheEntryCount());
  for (const auto& item : fs::recursive_directory_iterator(root)) {
    const std::string name = item.path().filename().string();
    EXPECT_EQ(std::count_if(name.begin(), name.end(), [](unsigned char c) { return c < 0x20; }), 0)
        << name;
  }
}

// Codings that crashed the program (hundreds of nested layers) or cost it half an hour (a bomb
// between stages): each such entry fails alone, fast, and leaves nothing at its target; the run
// goes on, twice (the second with what the first remembered).
TEST(HostileCacheEndToEnd, HostileCodingsFailAloneAndFast) {
  const ScratchFolder folder("codings");
  const fs::path& scratch = folder.path();
  ASSERT_FALSE(scratch.empty());
  ASSERT_TRUE(WriteHostileCodingsCache((scratch / "profile").string()));
  // Entry files of an hour ago: the second run takes them from what the first remembered.
  for (const auto& file : fs::directory_iterator(scratch / "profile" / "cache2" / "entries")) {
    fs::last_write_time(file.path(), fs::file_time_type::clock::now() - std::chrono::hours(1));
  }
  fs::copy_file(fs::path(MUREL_SOURCE_DIR) / "samples" / "murel.ini", scratch / "murel.ini");
  const std::string command =
      "cd '" + scratch.string() + "' && '" + MUREL_BINARY + "' -nm -c profile out >/dev/null 2>&1";
  for (int run = 1; run <= 2; ++run) {
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << "the program did not end normally, run " << run;
    EXPECT_EQ(WEXITSTATUS(status), 4) << "the hostile entries fail, run " << run;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20)) << run;
    for (const ExpectedExport& entry : HostileCodingsOrdinaryEntries()) {
      EXPECT_EQ(ReadAll(scratch / "out" / entry.path), entry.content) << entry.url;
    }
    // No temporary either.
    EXPECT_EQ(TreeOf(scratch / "out" / "http" / "h"),
              (std::vector<std::string>{"label.html", "plain.html", "twice.html"}));
  }
}

}  // namespace
}  // namespace murel

// The program on caches that attack the export, natively and (MinGW build) under Wine: URLs that
// climb, name devices or hold drive colons and control characters, local files outside the cache,
// codings that crash or take hours, a cache folder swapped while it is read. Each run must end
// normally, write nothing beside its export folder, read nothing outside the cache, and export
// every ordinary entry.
#include "support/hostile_cache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <string>
#include <vector>

#include "support/host_files.h"
#include "support/host_runner.h"
#include "support/index_dat_writer.h"

namespace murel {
namespace {

// A scratch folder that holds the sample rules, where the program runs.
class HostileCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(folder_.path().empty());
    ASSERT_TRUE(WriteHostFile(folder_.At("murel.ini"),
                              ReadAll(std::string(MUREL_SOURCE_DIR) + "/samples/murel.ini")));
  }

  HostFolder folder_{"hostile"};
};

TEST_F(HostileCacheTest, NothingLeavesTheRootAndOrdinaryEntriesAreExported) {
  // The export lies two levels down, so that climbing one or two levels lands in watched folders.
  ASSERT_TRUE(MakeFolders(folder_.At("a/b")) && MakeFolders(folder_.At("cache")));
  ASSERT_TRUE(WriteHostFile(folder_.At("a/keep.txt"), "keep"));
  ASSERT_TRUE(WriteHostileCache(folder_.At("cache")));
  const std::string root = folder_.At("a/b/out");
  const std::vector<std::string> before = HostTree(folder_.path(), root);

  // The attacking entries are refused, which the status tells.
  EXPECT_EQ(RunMurel(folder_.path(), {"-nm", "-c", "cache", HostForm("a/b/out")}), 4);
  EXPECT_EQ(HostTree(folder_.path(), root), before) << "something was written beside the export";
  for (const ExpectedExport& entry : HostileCacheOrdinaryEntries()) {
    EXPECT_EQ(ReadAll(folder_.At("a/b/out/" + entry.path)), entry.content) << entry.url;
  }
  EXPECT_EQ(ReadAll(folder_.At("a/b/out/http/host/same.html")), "same");
  // Every entry has its listing line, the 3,000 of one URL included, and no more: a URL with
  // line ends and tabs forges none, nor a name that holds them.
  const std::string listing = ReadAll(folder_.At("a/b/out/urls.txt"));
  EXPECT_EQ(static_cast<std::size_t>(std::count(listing.begin(), listing.end(), '\n')),
            HostileCacheEntryCount());
  for (const std::string& name : HostTree(root)) {
    EXPECT_EQ(std::count_if(name.begin(), name.end(), [](unsigned char c) { return c < 0x20; }), 0)
        << name;
  }
}

// Local file names that climb out of the cache folder are refused: the file beside the cache is
// not exported, the ordinary entry is.
TEST_F(HostileCacheTest, NothingIsReadFromOutsideTheCacheFolder) {
  ASSERT_TRUE(MakeFolders(folder_.At("cache/CONTENT1")));
  ASSERT_TRUE(WriteHostFile(folder_.At("secret.txt"), "secret"));
  ASSERT_TRUE(WriteHostFile(folder_.At("cache/CONTENT1/ok.htm"), "ok"));
  IndexDatWriter index;
  index.AddDirectory("CONTENT1");
  index.AddTable();
  index.AddUrl("http://h/climb", "..\\..\\secret.txt", 0);
  index.AddUrl("http://h/slash", "..\\secret.txt", IndexDatWriter::kNoDirectory);
  index.AddUrl("http://h/ok", "ok.htm", 0);
  const std::vector<unsigned char> bytes = index.Bytes();
  ASSERT_TRUE(
      WriteHostFile(folder_.At("cache/index.dat"), std::string(bytes.begin(), bytes.end())));

  EXPECT_EQ(RunMurel(folder_.path(), {"-nm", "-c", "cache", "out"}), 4);
  EXPECT_EQ(ReadAll(folder_.At("out/http/h/ok")), "ok");
  EXPECT_EQ(HostTree(folder_.At("out/http/h")), std::vector<std::string>{"ok"});
}

// Codings that crashed the program (hundreds of nested layers, on a Windows main-thread stack
// smaller than Linux's) or cost it half an hour (a bomb between stages): each such entry fails
// alone, fast, and leaves nothing at its target; the run goes on, twice (the second with what the
// first remembered).
TEST_F(HostileCacheTest, HostileCodingsFailAloneAndFast) {
  ASSERT_TRUE(WriteHostileCodingsCache(folder_.At("profile")));
  // Entry files of an hour ago: the second run takes them from what the first remembered.
  const std::string entries = folder_.At("profile/cache2/entries");
  for (const std::string& name : HostTree(entries)) {
    ASSERT_TRUE(SetHostFileTime(entries + HostForm("/" + name), std::time(nullptr) - 3600));
  }
  for (int run = 1; run <= 2; ++run) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(RunMurel(folder_.path(), {"-nm", "-c", "profile", "out"}), 4)
        << "the hostile entries fail, run " << run;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20)) << run;
    for (const ExpectedExport& entry : HostileCodingsOrdinaryEntries()) {
      EXPECT_EQ(ReadAll(folder_.At("out/" + entry.path)), entry.content) << entry.url;
    }
    // No temporary either.
    EXPECT_EQ(HostTree(folder_.At("out/http/h")),
              (std::vector<std::string>{"label.html", "plain.html", "twice.html"}));
  }
}

// Each cache folder is replaced by a like cache, after its first file was opened and after its
// second (POSIX puts a link to it in the folder's place, Windows moves it there): nothing is read
// from the other cache.
TEST_F(HostileCacheTest, AFolderSwappedDuringTheRunIsNotRead) {
  for (const auto& [name, make] : MarkedCaches()) {
    for (const int swapAt : {1, 2}) {
      const std::string run = name + "-" + std::to_string(swapAt);
      const std::string cache = folder_.At(run + "/entries");
      const std::string outside = folder_.At(run + "/outside");
      make(cache, "good");
      make(outside, "evil");
      SwappingPlatform<HostPlatform> platform("entries", swapAt,
                                              [&] { PutFolderInPlace(cache, outside); });
      for (const std::string& body : BodiesOf(platform, cache)) {
        EXPECT_EQ(body.rfind("good", 0), 0u) << name << " swapped at " << swapAt << ": " << body;
      }
      const std::vector<std::string> tree = HostTree(folder_.At(run));
      EXPECT_NE(std::find(tree.begin(), tree.end(), "entries-aside/"), tree.end())
          << name << " was not swapped at " << swapAt;
    }
  }
}

}  // namespace
}  // namespace murel

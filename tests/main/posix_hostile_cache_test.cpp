// The native program on a cache whose URLs attack the export: it must end normally, write
// nothing beside its export folder, and export every ordinary entry.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/posix/posix_platform.h"
#include "support/host_files.h"
#include "support/hostile_cache.h"
#include "support/scratch_folder.h"

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

// An SQL cache of one entry whose body is `mark`, as WriteMarkedFirefoxCache writes its own.
void WriteMarkedSqlCache(const std::string& folder, const std::string& mark) {
  fs::create_directories(folder);
  std::ofstream(fs::path(folder) / "index") << "SQLCacheTruncate3";
  sqlite3* db = nullptr;
  sqlite3_open((fs::path(folder) / "sqldb0").c_str(), &db);
  const std::string sql =
      "CREATE TABLE resources(res_id INTEGER PRIMARY KEY, body_end INTEGER, doomed INTEGER, "
      "cache_key TEXT, head BLOB); CREATE TABLE blobs(blob_id INTEGER PRIMARY KEY, res_id "
      "INTEGER, start INTEGER, end INTEGER, blob BLOB); INSERT INTO resources VALUES(1, 4, 0, "
      "'http://h/a', x'2c000000030000000000000000000000000000000000000011000000485454502f312e312"
      "0323030204f4b0000000000'); INSERT INTO blobs VALUES(1, 1, 0, 4, '" +
      mark + "');";
  sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
  sqlite3_close(db);
}

// Each cache folder is replaced by a link to a like cache outside, after its first file was
// opened and after its second: nothing is read from outside, whatever is read comes from the
// cache.
TEST(HostileCacheSwap, AFolderSwappedDuringTheRunIsNotReadThrough) {
  const std::pair<const char*, MarkedCacheWriter> caches[] = {
      {"firefox", &WriteMarkedFirefoxCache},
      {"blockfile", &WriteMarkedBlockfileCache},
      {"sql", &WriteMarkedSqlCache}};
  for (const auto& [name, make] : caches) {
    for (const int swapAt : {1, 2}) {
      const ScratchFolder scratch("swap");
      ASSERT_FALSE(scratch.path().empty());
      const fs::path cache = scratch.path() / "entries";
      const fs::path outside = scratch.path() / "outside";
      make(cache.string(), "good");
      make(outside.string(), "evil");
      // The folder goes aside and a link to the other takes its place.
      SwappingPlatform<PosixPlatform> platform(cache.filename().string(), swapAt, [&] {
        fs::rename(cache, cache.string() + "-aside");
        fs::create_directory_symlink(outside, cache);
      });
      const std::vector<std::string> bodies = BodiesOf(platform, cache.string());
      for (const std::string& body : bodies) {
        EXPECT_EQ(body.rfind("good", 0), 0u) << name << " swapped at " << swapAt << ": " << body;
      }
    }
  }
}

}  // namespace
}  // namespace murel

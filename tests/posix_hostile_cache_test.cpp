// The native program on a cache whose URLs attack the export: it must end normally, write
// nothing beside its export folder, and export every ordinary entry.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "blockfile_writer.h"
#include "firefox_entry_writer.h"
#include "host_files.h"
#include "hostile_cache.h"
#include "platform/posix/posix_platform.h"
#include "scratch_folder.h"
#include "urlcache/cache_opener.h"
#include "urlcache/file_range.h"

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
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(TreeOf(scratch, root), before) << "something was written beside the export";
  for (const ExpectedExport& entry : HostileCacheOrdinaryEntries()) {
    EXPECT_EQ(ReadAll(root / entry.path), entry.content) << entry.url;
  }
  EXPECT_EQ(ReadAll(root / "http" / "host" / "same.html"), "same");
  // Every entry has its listing line, the 3,000 of one URL included.
  const std::string listing = ReadAll(root / "urls.txt");
  EXPECT_GT(std::count(listing.begin(), listing.end(), '\n'), 3000);
}

// The real platform, with a hostile user who, at the `swapAt`th file opened in the folder
// `folder`, moves that folder aside and puts a link to the folder `outside` in its place.
class SwappingPlatform : public PosixPlatform {
 public:
  SwappingPlatform(fs::path folder, fs::path outside, int swapAt)
      : folder_(std::move(folder)), outside_(std::move(outside)), swapAt_(swapAt) {}

  std::unique_ptr<ReadableFile> OpenFileForReading(const std::string& path) override {
    if (path.find(folder_.filename().string()) != std::string::npos) Count();
    return PosixPlatform::OpenFileForReading(path);
  }

  std::unique_ptr<OpenedFolder> OpenFolder(const std::string& path) override {
    std::unique_ptr<OpenedFolder> opened = PosixPlatform::OpenFolder(path);
    return opened ? std::make_unique<Counted>(*this, std::move(opened)) : nullptr;
  }

 private:
  // Counts the files opened in a folder held open.
  class Counted : public OpenedFolder {
   public:
    Counted(SwappingPlatform& platform, std::unique_ptr<OpenedFolder> folder)
        : platform_(platform), folder_(std::move(folder)) {}
    std::optional<FileFacts> QueryName(const std::string& name) override {
      return folder_->QueryName(name);
    }
    std::unique_ptr<ReadableFile> OpenName(const std::string& name) override {
      platform_.Count();
      return folder_->OpenName(name);
    }
    std::unique_ptr<OpenedFolder> OpenSubfolder(const std::string& name) override {
      return folder_->OpenSubfolder(name);
    }

   private:
    SwappingPlatform& platform_;
    std::unique_ptr<OpenedFolder> folder_;
  };

  void Count() {
    if (++opens_ != swapAt_) return;
    fs::rename(folder_, folder_.string() + "-aside");
    fs::create_directory_symlink(outside_, folder_);
  }

  fs::path folder_;
  fs::path outside_;
  int swapAt_;
  int opens_ = 0;
};

// Writes a cache into `folder` whose bodies all begin with `mark`.
using CacheMaker = void (*)(const fs::path& folder, const std::string& mark);

void WriteFiles(const fs::path& folder, const std::map<std::string, std::string>& files) {
  fs::create_directories(folder);
  for (const auto& [name, bytes] : files) std::ofstream(folder / name, std::ios::binary) << bytes;
}

void MakeFirefoxCache(const fs::path& folder, const std::string& mark) {
  std::map<std::string, std::string> files;
  for (int i = 0; i < 6; ++i) {
    FirefoxEntryPlan plan;
    plan.key = ":http://h/" + std::to_string(i);
    plan.data = mark + std::to_string(i);
    files[std::string(39, 'A') + static_cast<char>('0' + i)] = FirefoxEntryFile(plan);
  }
  WriteFiles(folder, files);
}

void MakeBlockfileCache(const fs::path& folder, const std::string& mark) {
  BlockfileWriter writer;
  for (int i = 0; i < 3; ++i) writer.AddEntry({"http://h/" + std::to_string(i), mark});
  writer.AddEntry({"http://h/big", mark + std::string(5000, '.')});
  WriteFiles(folder, writer.Files());
}

void MakeSqlCache(const fs::path& folder, const std::string& mark) {
  WriteFiles(folder, {{"index", "SQLCacheTruncate3"}});
  sqlite3* db = nullptr;
  sqlite3_open((folder / "sqldb0").c_str(), &db);
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

// Every body read from the cache in `folder` through `platform`.
std::vector<std::string> Bodies(Platform& platform, const fs::path& folder) {
  std::vector<std::string> bodies;
  const std::unique_ptr<CacheReader> reader = OpenCache(platform, folder.string());
  for (CacheEntry entry; reader && reader->Next(entry);) {
    const StoredBody& body = *entry.storedBody;
    const std::shared_ptr<ReadableFile> file =
        body.open ? body.open() : platform.OpenFileForReading(body.file);
    std::vector<unsigned char> bytes;
    if (file && ReadRange(*file, body.offset, static_cast<std::size_t>(body.size), bytes))
      bodies.emplace_back(bytes.begin(), bytes.end());
  }
  return bodies;
}

// Each cache folder is replaced by a link to a like cache outside, after its first file was
// opened and after its second: nothing is read from outside, whatever is read comes from the
// cache.
TEST(HostileCacheSwap, AFolderSwappedDuringTheRunIsNotReadThrough) {
  const std::pair<const char*, CacheMaker> caches[] = {
      {"firefox", &MakeFirefoxCache}, {"blockfile", &MakeBlockfileCache}, {"sql", &MakeSqlCache}};
  for (const auto& [name, make] : caches) {
    for (const int swapAt : {1, 2}) {
      const ScratchFolder scratch("swap");
      ASSERT_FALSE(scratch.path().empty());
      const fs::path cache = scratch.path() / "entries";
      make(cache, "good");
      make(scratch.path() / "outside", "evil");
      SwappingPlatform platform(cache, scratch.path() / "outside", swapAt);
      const std::vector<std::string> bodies = Bodies(platform, cache);
      for (const std::string& body : bodies) {
        EXPECT_EQ(body.rfind("good", 0), 0u) << name << " swapped at " << swapAt << ": " << body;
      }
    }
  }
}

}  // namespace
}  // namespace murel

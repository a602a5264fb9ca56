#include "support/synthetic_cache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "cache/wininet/index_walk.h"

namespace murel {
namespace {

namespace fs = std::filesystem;

// More entries than one HASH table holds, so that the walk follows the chain.
constexpr std::size_t kEntries = 1000;

std::size_t Levels(const std::string& url) {
  const std::string path = url.substr(0, url.find('?'));
  return static_cast<std::size_t>(std::count(path.begin(), path.end(), '/')) - 2;
}

TEST(SyntheticCacheTest, SameSeedSamePlanAndEveryShapeOccurs) {
  const std::vector<SyntheticEntry> plan = PlanSyntheticCache(kEntries, 7);
  const std::vector<SyntheticEntry> again = PlanSyntheticCache(kEntries, 7);
  ASSERT_EQ(plan.size(), kEntries);
  std::set<std::string> urls, hosts, files;
  std::set<std::size_t> levels;
  bool query = false, bigFile = false;
  for (std::size_t index = 0; index < plan.size(); ++index) {
    const SyntheticEntry& entry = plan[index];
    EXPECT_EQ(entry.url, again[index].url);
    EXPECT_EQ(entry.size, again[index].size);
    urls.insert(entry.url);
    hosts.insert(entry.url.substr(0, entry.url.find('/', 8)));
    files.insert(entry.directory + "\\" + entry.fileName);
    levels.insert(Levels(entry.url));
    query = query || entry.url.find('?') != std::string::npos;
    bigFile = bigFile || entry.size > 100 * 1024;
  }
  EXPECT_EQ(urls.size(), kEntries) << "URLs are unique";
  EXPECT_EQ(files.size(), kEntries) << "content files are unique";
  EXPECT_GT(hosts.size(), 100u);
  EXPECT_EQ(*levels.begin(), 1u);
  EXPECT_EQ(*levels.rbegin(), 6u);
  EXPECT_TRUE(query);
  EXPECT_TRUE(bigFile);
  const bool pageIsDirectory = std::any_of(plan.begin(), plan.end(), [&](const auto& entry) {
    return urls.lower_bound(entry.url + "/") != urls.end() &&
           urls.lower_bound(entry.url + "/")->rfind(entry.url + "/", 0) == 0;
  });
  EXPECT_TRUE(pageIsDirectory) << "some page's URL is also a directory of other entries";
  EXPECT_NE(PlanSyntheticCache(kEntries, 8)[0].url, plan[0].url);
}

std::uint32_t Field(const std::vector<unsigned char>& file, std::size_t offset) {
  return static_cast<std::uint32_t>(file[offset] | file[offset + 1] << 8 | file[offset + 2] << 16 |
                                    file[offset + 3] << 24);
}

// WinINet under Wine takes a file only of at least 0x8000 bytes, whose recorded size and capacity
// match its real size, and whose allocation bitmap counts in whole bytes the blocks in use.
TEST(SyntheticCacheTest, FilesOfAnySizeHaveTheShapeWineWants) {
  for (const std::size_t count : {std::size_t{1}, std::size_t{5}, std::size_t{100}, kEntries}) {
    SCOPED_TRACE(count);
    const std::vector<unsigned char> file =
        SyntheticIndexDat(PlanSyntheticCache(count, 1), IndexDatWriter::Version::k52);
    EXPECT_GE(file.size(), 0x8000u);
    EXPECT_EQ(Field(file, 0x1C), file.size());
    EXPECT_EQ(0x4000 + std::size_t{Field(file, 0x24)} * 0x80, file.size());
    EXPECT_EQ(Field(file, 0x24) % 8, 0u);
    EXPECT_EQ(Field(file, 0x28), Field(file, 0x24));
  }
}

TEST(SyntheticCacheTest, TheReaderFindsEveryEntryAndItsContentFile) {
  const fs::path folder = fs::temp_directory_path() / "murel-synthetic-cache-test";
  fs::remove_all(folder);
  fs::create_directories(folder);
  const std::vector<SyntheticEntry> plan = PlanSyntheticCache(kEntries, 3);
  ASSERT_TRUE(WriteSyntheticCache(folder.string(), plan, IndexDatWriter::Version::k52, true));

  std::unique_ptr<IndexWalk> walk =
      IndexWalk::Open(SyntheticIndexDat(plan, IndexDatWriter::Version::k52), "C:\\cache");
  ASSERT_NE(walk, nullptr);
  CacheEntry entry;
  std::size_t found = 0;
  for (std::uint32_t size = UINT32_MAX; walk->Next(size, entry) == WalkStatus::kEntry; ++found) {
    ASSERT_LT(found, plan.size());
    const SyntheticEntry& planned = plan[found];
    EXPECT_EQ(entry.url, planned.url);
    EXPECT_EQ(entry.localFile, "C:\\cache\\" + planned.directory + "\\" + planned.fileName);
    EXPECT_EQ(fs::file_size(folder / planned.directory / planned.fileName), planned.size);
  }
  EXPECT_EQ(found, plan.size());
  fs::remove_all(folder);
}

}  // namespace
}  // namespace murel

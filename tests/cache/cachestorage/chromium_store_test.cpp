// Chromium's CacheStorage: the sample store made by the browser, damaged entries and indexes,
// and the protocol buffers it keeps its metadata in.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "cache/cache_opener.h"
#include "cache/cachestorage/chromium_cache_metadata.h"
#include "cache/cachestorage/chromium_store_index.h"
#include "cache/cachestorage/protobuf_reader.h"
#include "support/fake_platform.h"

namespace murel {
namespace {

namespace fs = std::filesystem;

constexpr const char* kProfile = "C:\\u\\Default";
constexpr const char* kStore = "C:\\u\\Default\\Service Worker\\CacheStorage";
const std::string kSite = "http://127.0.0.1:18029/";

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ChromiumStoreTest : public testing::Test {
 protected:
  void SetUp() override {
    const fs::path sample = fs::path(MUREL_SOURCE_DIR) / "samples" / "chromium-cachestorage";
    for (const auto& file : fs::recursive_directory_iterator(sample)) {
      if (!file.is_regular_file()) continue;
      std::string relative = fs::relative(file.path(), sample).string();
      for (char& c : relative) c = c == '/' ? '\\' : c;
      const std::string bytes = ReadAll(file.path());
      platform.AddFile(std::string(kStore) + "\\" + relative, bytes);
      if (bytes.find(kSite + "app/data.json") != std::string::npos && relative.size() > 2 &&
          relative.compare(relative.size() - 2, 2, "_0") == 0) {
        dataFile = std::string(kStore) + "\\" + relative;
      }
      if (relative.find("index.txt") != std::string::npos)
        index = std::string(kStore) + "\\" + relative;
    }
    ASSERT_FALSE(dataFile.empty());
  }

  // The URL paths read from the profile folder, and the bodies read through each entry.
  std::vector<std::string> Paths() {
    std::vector<std::string> paths;
    const std::unique_ptr<CacheReader> reader = OpenCache(platform, kProfile);
    for (CacheEntry entry; reader && reader->Next(entry);) {
      paths.push_back(entry.url.substr(kSite.size()));
      const std::shared_ptr<ReadableFile> file = entry.storedBody->open();
      std::string body(static_cast<std::size_t>(entry.storedBody->size), '\0');
      EXPECT_TRUE(file && file->ReadAt(entry.storedBody->offset,
                                       reinterpret_cast<unsigned char*>(body.data()),
                                       body.size()) == body.size());
      bodies[paths.back()] = body;
      heads[paths.back()] = entry.head;
    }
    if (reader) passedOver = reader->PassedOver();
    return paths;
  }

  FakePlatform platform;
  std::string dataFile;
  std::string index;
  std::map<std::string, std::string> bodies;
  std::map<std::string, std::string> heads;
  std::uint64_t passedOver = 0;
  const std::vector<std::string> all{"app/style.css",      "app/app.js",    "cs/twice.txt",
                                     "app/data.json",      "cs/made.txt",   "cs/fetched.css",
                                     "cs/claims-gzip.txt", "cs/created.txt"};
};

TEST_F(ChromiumStoreTest, ProfileGivesEachPutAnswerOnceAsTheBrowserKeptIt) {
  EXPECT_EQ(Paths(), all);
  // The 404, and the older of the two answers of cs/twice.txt.
  EXPECT_EQ(passedOver, 2u);
  EXPECT_EQ(bodies["cs/twice.txt"], "the newer answer\n");
  // Kept decoded; the head no longer names the coding.
  EXPECT_EQ(bodies["app/style.css"].substr(0, 10), "body { fon");
  EXPECT_EQ(heads["app/style.css"].find("Content-Encoding"), std::string::npos);
  EXPECT_EQ(bodies["cs/claims-gzip.txt"], "not gzip at all\n");
}

TEST_F(ChromiumStoreTest, DamagedEntryOrIndexIsPassedOver) {
  std::string data = *platform.Content(dataFile);
  const std::size_t body = data.find("{\"offline\"");
  ASSERT_NE(body, std::string::npos);
  data[body + 3] ^= 1;  // the body no longer matches its CRC
  platform.AddFile(dataFile, data);
  std::vector<std::string> rest = all;
  rest.erase(rest.begin() + 3);
  EXPECT_EQ(Paths(), rest);
  // An index cut short: the origin is not read at all.
  std::string text = *platform.Content(index);
  text.resize(text.size() - 5);
  platform.AddFile(index, text);
  EXPECT_EQ(Paths(), std::vector<std::string>{});
}

TEST(ProtoReader, DamageEndsTheMessage) {
  const std::vector<std::string> damaged = {
      std::string("\x08", 1),  // a varint cut
      std::string("\x0A\x05"
                  "abc",
                  5),                                                       // a length past the end
      std::string("\x08\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x01", 12),  // 11 varint bytes
      std::string("\x00\x01", 2),                                           // field number 0
      std::string("\x0B\x0C", 2),                                           // a group
      std::string("\x0D\x01\x02", 3),                                       // a fixed32 cut
  };
  for (const std::string& message : damaged) {
    ProtoReader reader(message);
    ProtoField field;
    while (reader.Next(field)) {
    }
    EXPECT_TRUE(reader.Damaged()) << testing::PrintToString(message);
  }
  const std::string message = std::string("\x08\x96\x01\x12\x02hi\x1D\x01\x00\x00\x00", 12);
  ProtoReader sound(message);
  ProtoField field;
  ASSERT_TRUE(sound.Next(field));
  EXPECT_EQ(field.value, 150u);
  ASSERT_TRUE(sound.Next(field));
  EXPECT_EQ(field.bytes, "hi");
  ASSERT_TRUE(sound.Next(field));
  EXPECT_EQ(field.value, 1u);
  EXPECT_FALSE(sound.Next(field));
  EXPECT_FALSE(sound.Damaged());
}

TEST(ChromiumCacheMetadata, NeedsRequestAndResponse) {
  // Request {method "GET"}, response {status 200, header {"A", "b"}}, time stored 5.
  const std::string sound(
      "\x0A\x05\x0A\x03GET\x12\x0B\x08\xC8\x01\x22\x06\x0A\x01"
      "A\x12\x01"
      "b\x18\x05",
      22);
  const std::optional<ChromiumCacheMetadata> meta = ParseChromiumCacheMetadata(sound);
  ASSERT_TRUE(meta);
  EXPECT_EQ(meta->method, "GET");
  EXPECT_EQ(meta->status, 200);
  EXPECT_EQ(meta->headers, (std::vector<std::pair<std::string, std::string>>{{"A", "b"}}));
  EXPECT_EQ(meta->stored, 5);
  EXPECT_FALSE(ParseChromiumCacheMetadata(sound.substr(0, 7))) << "no response";
  EXPECT_FALSE(ParseChromiumCacheMetadata(sound.substr(7))) << "no request";
  EXPECT_FALSE(ParseChromiumCacheMetadata(sound.substr(0, 12))) << "a response cut";
  EXPECT_FALSE(ParseChromiumStoreIndex(std::string("\x0A\x04\x12\x02..", 6)))
      << "a climbing folder";
}

}  // namespace
}  // namespace murel

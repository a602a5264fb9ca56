// The blockfile reader on caches written by test code: sound ones, and crafted ones whose
// records share the places they point at.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cache/cache_opener.h"
#include "export/stored_body_copy.h"
#include "support/blockfile_writer.h"
#include "support/fake_platform.h"
#include "support/faulty_platform.h"

namespace murel {
namespace {

constexpr const char* kCache = "C:\\cache";

class BlockfileTest : public testing::Test {
 protected:
  // The URLs of the entries read, each body written to C:\out\<n> on the way.
  std::vector<std::string> Read() {
    for (const auto& [name, bytes] : writer.Files()) {
      platform.AddFile(std::string(kCache) + "\\" + name, bytes);
    }
    platform.AddDirectory("C:\\out");
    std::vector<std::string> urls;
    const std::unique_ptr<CacheReader> reader = OpenCache(faulty, kCache);
    if (!reader) return urls;
    for (CacheEntry entry; reader->Next(entry);) {
      urls.push_back(entry.url);
      WriteStoredBody(faulty, *entry.storedBody, true, "C:\\out\\" + std::to_string(urls.size()));
    }
    return urls;
  }

  // How often the file `name` of the cache was opened.
  std::size_t Opens(const std::string& name) const {
    const std::string call = "OpenFileForReading " + std::string(kCache) + "\\" + name + " ";
    return static_cast<std::size_t>(
        std::count_if(faulty.log.begin(), faulty.log.end(),
                      [&call](const std::string& line) { return line.rfind(call, 0) == 0; }));
  }

  FakePlatform platform;
  FaultyPlatform faulty{platform};  // where the readers make their calls, logged
  BlockfileWriter writer;
};

TEST_F(BlockfileTest, EntriesComeWithTheirBodiesInlineAndExternal) {
  writer.AddEntry({"http://h/a", "small body"});
  writer.AddEntry({"1/0/_dk_http://h http://h http://h/b", std::string(3000, 'b')});
  const std::string longKey = "http://h/" + std::string(2000, 'k');
  writer.AddEntry({longKey, "long", writer.AddExternal(longKey)});
  std::vector<std::string> urls = Read();
  std::sort(urls.begin(), urls.end());
  EXPECT_EQ(urls, (std::vector<std::string>{"http://h/a", "http://h/b", longKey}));
  std::vector<std::string> bodies;
  for (int n = 1; n <= 3; ++n) bodies.push_back(*platform.Content("C:\\out\\" + std::to_string(n)));
  std::sort(bodies.begin(), bodies.end());
  EXPECT_EQ(bodies, (std::vector<std::string>{std::string(3000, 'b'), "long", "small body"}));
}

// Records by the hundred that name one long key: the key is read once, and only the first
// record that names it counts.
TEST_F(BlockfileTest, LongKeyNamedByManyRecordsIsReadOnce) {
  const std::string key = "http://h/" + std::string(100000, 'k');
  const std::uint32_t address = writer.AddExternal(key);
  for (int i = 0; i < 300; ++i) writer.AddEntry({key, "body " + std::to_string(i), address});
  EXPECT_EQ(Read().size(), 1u);
  EXPECT_EQ(Opens("f_000001"), 1u);
}

// Two records that name one body: the second is passed over, its body not read again.
TEST_F(BlockfileTest, BodyNamedByTwoRecordsIsTakenOnce) {
  const std::uint32_t body = writer.AddExternal(std::string(5000, 'x'));
  writer.AddEntry({"http://h/1", std::string(5000, 'x'), 0, body});
  writer.AddEntry({"http://h/2", std::string(5000, 'x'), 0, body});
  writer.AddEntry({"http://h/3", "own body"});
  EXPECT_EQ(Read().size(), 2u);
}

}  // namespace
}  // namespace murel

#include "cache/wininet/cache_cursor.h"

#include <gtest/gtest.h>

#include "support/fake_platform.h"
#include "support/faulty_platform.h"

namespace murel {
namespace {

using Op = FaultyPlatform::Op;

// Records the record size offered on every walk call.
class RecordingPlatform : public FakePlatform {
 public:
  WalkStatus StartCacheWalk(const std::string& searchPattern, std::uint32_t& recordSize,
                            UrlCacheEntry& entry, std::unique_ptr<CacheWalk>& walk) override {
    offered.push_back(recordSize);
    patterns.push_back(searchPattern);
    return FakePlatform::StartCacheWalk(searchPattern, recordSize, entry, walk);
  }
  WalkStatus ContinueCacheWalk(CacheWalk& walk, std::uint32_t& recordSize,
                               UrlCacheEntry& entry) override {
    offered.push_back(recordSize);
    return FakePlatform::ContinueCacheWalk(walk, recordSize, entry);
  }
  std::vector<std::uint32_t> offered;
  std::vector<std::string> patterns;
};

// A platform whose every entry needs a little more than it was offered, as a broken or hostile
// cache service might answer.
class GreedyPlatform : public FakePlatform {
 public:
  WalkStatus StartCacheWalk(const std::string&, std::uint32_t& recordSize, UrlCacheEntry&,
                            std::unique_ptr<CacheWalk>&) override {
    return AskMore(recordSize);
  }
  WalkStatus ContinueCacheWalk(CacheWalk&, std::uint32_t& recordSize, UrlCacheEntry&) override {
    return AskMore(recordSize);
  }
  WalkStatus AskMore(std::uint32_t& recordSize) {
    ++walkCalls;
    recordSize = shrink ? recordSize : recordSize + 1;
    return WalkStatus::kBufferTooSmall;
  }
  bool shrink = false;
  int walkCalls = 0;
};

// Every entry the cursor delivers, as "url -> local file".
std::vector<std::string> Walk(Platform& platform) {
  std::vector<std::string> lines;
  CacheCursor cursor;
  if (!OpenCacheWalk(platform, cursor)) return lines;
  do {
    lines.push_back(cursor.entry.url + " -> " + cursor.entry.localFile);
  } while (NextCacheEntry(platform, cursor));
  return lines;
}

TEST(CacheCursorTest, EntriesThatNeedLargerRecordsAreNotLost) {
  struct Case {
    const char* name;
    std::vector<std::uint32_t> sizes;  // record size each of three entries needs
  };
  const std::vector<Case> cases{
      {"all fit", {0, 2000, 100}},           {"first too large", {2001, 0, 0}},
      {"middle too large", {0, 70000, 0}},   {"last too large", {0, 0, 5000}},
      {"all too large", {4000, 3000, 9000}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingPlatform platform;
    platform.cache = {{"http://a/", "C:\\c\\a", c.sizes[0]},
                      {"http://b/", "", c.sizes[1]},
                      {"http://c/", "C:\\c\\c", c.sizes[2]}};
    EXPECT_EQ(Walk(platform), (std::vector<std::string>{"http://a/ -> C:\\c\\a", "http://b/ -> ",
                                                        "http://c/ -> C:\\c\\c"}));
    // Every entry is first offered the standard size; only a retry offers more.
    std::vector<std::uint32_t> expected;
    for (std::uint32_t size : c.sizes) {
      expected.push_back(kCacheRecordSize);
      if (size > kCacheRecordSize) expected.push_back(size);
    }
    expected.push_back(kCacheRecordSize);  // the call that finds no further entry
    EXPECT_EQ(platform.offered, expected);
    for (const std::string& pattern : platform.patterns) EXPECT_EQ(pattern, "");
  }
}

TEST(CacheCursorTest, OpeningFails) {
  FakePlatform empty;
  EXPECT_TRUE(Walk(empty).empty());

  FakePlatform fake;
  fake.cache = {{"http://a/", "", 0}};
  FaultyPlatform refused(fake);
  refused.FailOn(Op::kCacheOpen);
  CacheCursor cursor;
  EXPECT_FALSE(OpenCacheWalk(refused, cursor));
  EXPECT_EQ(cursor.walk, nullptr);
  EXPECT_FALSE(NextCacheEntry(refused, cursor));
}

TEST(CacheCursorTest, FailingStepEndsTheWalk) {
  FakePlatform fake;
  fake.cache = {{"http://a/", "", 0}, {"http://b/", "", 0}};
  FaultyPlatform platform(fake);
  CacheCursor cursor;
  ASSERT_TRUE(OpenCacheWalk(platform, cursor));
  platform.FailOn(Op::kCacheNext);
  EXPECT_FALSE(NextCacheEntry(platform, cursor));
}

TEST(CacheCursorTest, APlatformThatKeepsAskingForMoreDoesNotHoldTheWalk) {
  for (bool shrink : {false, true}) {
    SCOPED_TRACE(shrink ? "asks for less than offered" : "asks for ever more");
    GreedyPlatform platform;
    platform.shrink = shrink;
    CacheCursor cursor;
    EXPECT_FALSE(OpenCacheWalk(platform, cursor));
    const int openCalls = platform.walkCalls;
    EXPECT_LE(openCalls, 5);
    // A walk that was open (as if the first entry had come) fails at a stubborn entry, too.
    cursor.walk = std::make_unique<CacheWalk>();
    EXPECT_FALSE(NextCacheEntry(platform, cursor));
    EXPECT_EQ(platform.walkCalls, 2 * openCalls);
  }
}

}  // namespace
}  // namespace murel

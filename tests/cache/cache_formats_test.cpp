// The list of formats against the bundled samples on the fake platform: every place a format
// names holds a cache that the finder finds and names with that format, and the default cache
// is the first of WinINet's places below the Wine user's profile.
#include "cache/cache_formats.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "cache/cache_finder.h"
#include "cache/cache_opener.h"
#include "support/fake_platform.h"
#include "support/host_files.h"

namespace murel {
namespace {

namespace fs = std::filesystem;

// Copies the host folder `from` and everything below it to the fake folder `to`.
void AddHostTree(FakePlatform& fake, const fs::path& from, const std::string& to) {
  fake.AddDirectory(to);
  for (const auto& item : fs::directory_iterator(from)) {
    const std::string target = to + "\\" + item.path().filename().string();
    if (item.is_directory()) {
      AddHostTree(fake, item.path(), target);
    } else {
      fake.AddFile(target, ReadAll(item.path()));
    }
  }
}

// The sample of each format, and where it lies below a place of the format.
struct Sample {
  const char* folder;  ///< Below samples/.
  const char* below;   ///< Below the place: empty for the place itself.
};
const std::map<std::string, Sample> kSamples{
    {"WinINet", {"cache", ""}},
    {"Chromium", {"chromium-cache", "\\Cache_Data"}},
    {"Firefox", {"firefox-cache/cache2", ""}},
    {"ChromiumCacheStorage", {"chromium-cachestorage", ""}},
    {"FirefoxCacheStorage", {"firefox-cachestorage", ""}},
};

const fs::path kSampleRoot = fs::path(MUREL_SOURCE_DIR) / "samples";

// `pattern` with each "*" level made the folder "p".
std::string Placed(std::string pattern) {
  for (std::size_t star = pattern.find('*'); star != std::string::npos;
       star = pattern.find('*', star)) {
    pattern[star] = 'p';
  }
  return pattern;
}

// The format and the path of every cache the finder visits, one line each.
std::vector<std::string> Found(FakePlatform& fake) {
  std::vector<std::string> found;
  ForEachUserCache(fake, [&](FoundCache& cache) {
    found.push_back(std::string(cache.format->name) + " " + cache.path);
  });
  return found;
}

TEST(CacheFormats, EveryPlaceOfEveryFormatIsFoundAsThatFormat) {
  for (const CacheFormat& format : CacheFormats()) {
    EXPECT_NE(format.openFolder == nullptr, format.openRemembering == nullptr) << format.name;
    const auto sample = kSamples.find(format.name);
    if (sample == kSamples.end()) {
      ADD_FAILURE() << "no sample for the format " << format.name;
      continue;
    }
    for (const CachePlace& place : format.places) {
      FakePlatform fake;
      fake.userFolders = {{place.base, "C:\\u"}};
      const std::string path = "C:\\u\\" + Placed(place.pattern);
      AddHostTree(fake, kSampleRoot / sample->second.folder, path + sample->second.below);
      EXPECT_EQ(Found(fake), std::vector<std::string>{std::string(format.name) + " " + path});
    }
  }
}

// A Wine user with WinINet's three layouts, a Chromium profile in the same prefix, and no system
// cache of its own.
class DefaultCacheTest : public testing::Test {
 protected:
  void SetUp() override {
    fake.userFolders = {{UserFolderKind::kWinePrefix, "Z:\\wine"}};
    fake.wineUserProfile = kProfile;
    AddHostTree(fake, kSampleRoot / "cache", kOld);
    AddHostTree(fake, kSampleRoot / "cache", kVista);
    AddHostTree(fake, kSampleRoot / "cache", kCurrent);
    AddHostTree(fake, kSampleRoot / "chromium-cache", kChromium + "\\Cache_Data");
  }

  const std::string kProfile = "Z:\\wine\\drive_c\\users\\me";
  const std::string kOld = kProfile + "\\Local Settings\\Temporary Internet Files\\Content.IE5";
  const std::string kCurrent =
      kProfile + "\\AppData\\Local\\Microsoft\\Windows\\INetCache\\Content.IE5";
  const std::string kVista =
      kProfile + "\\AppData\\Local\\Microsoft\\Windows\\Temporary Internet Files\\Content.IE5";
  const std::string kChromium = kProfile + "\\AppData\\Local\\Chromium\\User Data\\Default\\Cache";
  FakePlatform fake;
};

// Each layout the finder lists is a default too (the Vista one was listed, and a run without
// "-c" could not open it), the current one first.
TEST_F(DefaultCacheTest, IsTheFirstLayoutThatHoldsAnIndex) {
  CacheOrigin origin;
  for (const std::string& layout : {kCurrent, kVista, kOld}) {
    ASSERT_TRUE(OpenCache(fake, "", nullptr, &origin)) << layout;
    EXPECT_EQ(origin.format, "WinINet");
    EXPECT_EQ(origin.path, layout + "\\index.dat");
    // An index that is no file is passed over.
    ASSERT_TRUE(fake.RemoveFile(layout + "\\index.dat"));
    fake.AddDirectory(layout + "\\index.dat");
  }
  EXPECT_FALSE(OpenCache(fake, "", nullptr, &origin));
}

// The finder lists the default cache once among the prefix's caches, and the system's own walk
// only when there is no default cache.
TEST_F(DefaultCacheTest, IsListedOnceAndTheSystemCacheOnlyWithoutIt) {
  fake.cache = {{"http://system/", "", 0}};
  const std::vector<std::string> prefix{"WinINet " + kOld, "WinINet " + kCurrent,
                                        "WinINet " + kVista, "Chromium " + kChromium};
  EXPECT_EQ(Found(fake), prefix);

  fake.wineUserProfile.reset();
  std::vector<std::string> withSystem = prefix;
  withSystem.push_back("WinINet ");
  EXPECT_EQ(Found(fake), withSystem);
  CacheOrigin origin;
  EXPECT_TRUE(OpenCache(fake, "", nullptr, &origin));
  EXPECT_EQ(origin.format, "WinINet");
  EXPECT_EQ(origin.path, "");
}

}  // namespace
}  // namespace murel

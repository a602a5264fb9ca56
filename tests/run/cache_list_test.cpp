// The list of caches on the fake platform: many caches cost no more than the largest one, and a
// folder name with control bytes keeps its cache on one line.
#include "run/cache_list.h"

#include <gtest/gtest.h>

#include <sstream>

#include "run/run_driver.h"
#include "support/fake_platform.h"
#include "support/firefox_entry_writer.h"

namespace murel {
namespace {

const std::string kFirefox = "C:\\cache\\mozilla\\firefox\\";

// A user whose cache home holds a Firefox profile of each name, with `entries` entries that are
// too large to be held in memory: each stays open for reading while its entry is in hand.
void AddProfiles(FakePlatform& fake, const std::vector<std::string>& profiles, int entries) {
  fake.userFolders = {{UserFolderKind::kCacheHome, "C:\\cache"}};
  FirefoxEntryPlan plan;
  plan.data = std::string(600 * 1024, 'x');
  const std::string file = FirefoxEntryFile(plan);
  for (const std::string& profile : profiles) {
    for (int i = 0; i < entries; ++i) {
      fake.AddFile(kFirefox + profile + "\\cache2\\entries\\" + std::string(39, 'A') +
                       static_cast<char>('0' + i),
                   file);
    }
  }
}

// The lines of the one box shown, without the caption.
std::vector<std::string> ListedLines(FakePlatform& fake) {
  EXPECT_EQ(ListCaches(fake, TextOptions{}), kExitOk);
  std::vector<std::string> lines;
  if (fake.boxes.size() != 1) return lines;
  std::istringstream text(fake.boxes[0].text);
  for (std::string line; std::getline(text, line);) lines.push_back(line);
  return lines;
}

TEST(CacheList, CountsEachCacheWhileOnlyItIsOpen) {
  FakePlatform fake;
  std::vector<std::string> profiles;
  for (char c = 'a'; c <= 'j'; ++c) profiles.push_back(std::string("profile-") + c);
  AddProfiles(fake, profiles, 2);
  const std::vector<std::string> lines = ListedLines(fake);
  ASSERT_EQ(lines.size(), profiles.size());
  EXPECT_EQ(lines.back().rfind("Firefox        2 entries", 0), 0u) << lines.back();
  // One cache's two entries at most: the next cache opens after this one is closed.
  EXPECT_LE(fake.mostOpenFiles, 2u);
  EXPECT_EQ(fake.openFiles, 0u);
}

TEST(CacheList, AFolderNameWithControlBytesStaysOnItsLine) {
  FakePlatform fake;
  AddProfiles(fake, {"evil\nWinINet 9 entries\r\x1b[2J", "plain"}, 1);
  EXPECT_EQ(ListedLines(fake),
            (std::vector<std::string>{
                "Firefox        1 entries   600.1 KB  " + kFirefox +
                    "evil\\x0aWinINet 9 entries\\x0d\\x1b[2J\\cache2",
                "Firefox        1 entries   600.1 KB  " + kFirefox + "plain\\cache2",
            }));
}

}  // namespace
}  // namespace murel

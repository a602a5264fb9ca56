// The sorted names of a cache folder: the order every reader and the memo rely on, also where
// the names' first eight bytes, which sort them, say nothing.
#include "cache/core/sorted_names.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/fake_platform.h"

namespace murel {
namespace {

const std::string kFolder = "D:\\cache";

bool NotSkipped(std::string_view name) { return name.rfind("skip", 0) != 0; }

std::vector<std::string> Listed(const SortedNames& list) {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < list.Size(); ++i) names.emplace_back(list[i]);
  return names;
}

TEST(SortedNames, OrderTheNamesAsTheirBytesOrderThem) {
  // Names alike in their first eight bytes, shorter than eight, a prefix of another, and bytes
  // above 0x7F, which sort after every ASCII byte.
  std::vector<std::string> names = {"abcdefgh1",  "abcdefgh0", "abcdefgh",          "ab",
                                    "ab0",        "abc",       "\xC3\xA9t\xC3\xA9", "z",
                                    "abcdefgh10", "A",         "0123456789abcdef_0"};
  FakePlatform platform;
  platform.AddDirectory(kFolder);
  for (const std::string& name : names) platform.AddFile(kFolder + "\\" + name, "x");
  platform.AddFile(kFolder + "\\skip-me", "x");

  const std::optional<SortedNames> list = SortedNames::List(platform, kFolder, &NotSkipped);
  ASSERT_TRUE(list);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(Listed(*list), names);
}

TEST(SortedNames, AnEmptyFolderListsNothingAndNoFolderNoList) {
  FakePlatform platform;
  platform.AddDirectory(kFolder);
  platform.AddFile("D:\\file", "x");
  const std::optional<SortedNames> empty = SortedNames::List(platform, kFolder, &NotSkipped);
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->Size(), 0u);
  EXPECT_FALSE(SortedNames::List(platform, "D:\\file", &NotSkipped));
  EXPECT_FALSE(SortedNames::List(platform, "D:\\none", &NotSkipped));
}

}  // namespace
}  // namespace murel

// The sample rule set read by the real profile function gives the same entries as the portable
// reader, so the rules load alike on Windows and Linux.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/profile_text.h"

namespace murel {
namespace {

constexpr DWORD kSectionCapacity = 1000000;

std::vector<std::string> SplitEntries(const std::vector<char>& buffer, DWORD length) {
  std::vector<std::string> entries;
  for (DWORD at = 0; at < length && buffer[at] != '\0';) {
    entries.emplace_back(&buffer[at]);
    at += static_cast<DWORD>(entries.back().size()) + 1;
  }
  return entries;
}

TEST(Win32SampleRulesTest, ProfileFunctionReadsTheSameEntries) {
  std::string path = std::string(MUREL_SOURCE_DIR) + "/samples/murel.ini";
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  std::vector<char> buffer(kSectionCapacity);
  const DWORD length =
      GetPrivateProfileSectionA("all", buffer.data(), kSectionCapacity, path.c_str());
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  const std::vector<std::string> portable = ProfileSection(text.str(), "all", kSectionCapacity);
  ASSERT_FALSE(portable.empty());
  EXPECT_EQ(SplitEntries(buffer, length), portable);
}

}  // namespace
}  // namespace murel

// The directory chain, the copy and the root guard on the real Windows API (under Wine in CI).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "export/copy_if_newer.h"
#include "export/directory_chain.h"
#include "export/root_guard.h"
#include "platform/win32/win32_platform.h"
#include "run/run_settings.h"
#include "support/local_entry.h"

namespace murel {
namespace {

class Win32ExportFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    char name[MAX_PATH];
    ASSERT_NE(::GetTempPathA(MAX_PATH, temp), 0u);
    ASSERT_NE(::GetTempFileNameA(temp, "mex", 0, name), 0u);
    ::DeleteFileA(name);
    scratch_ = name;
    ASSERT_TRUE(::CreateDirectoryA(scratch_.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryA((scratch_ + "\\out").c_str(), nullptr));
    settings_.exportRoot = scratch_ + "\\out\\";
    settings_.quiet = true;
  }

  void TearDown() override {
    // The tree is small and known: remove it with the shell-free calls, deepest names first.
    for (const char* name : {"out\\host\\a\\__", "out\\host\\a\\b", "out\\host\\a", "out\\host",
                             "out", "one", "two"}) {
      const std::string path = scratch_ + "\\" + name;
      if (!::DeleteFileA(path.c_str())) ::RemoveDirectoryA(path.c_str());
    }
    ::RemoveDirectoryA(scratch_.c_str());
  }

  std::string CacheFile(const std::string& name, const std::string& content) {
    const std::string path = scratch_ + "\\" + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file != nullptr) {
      std::fwrite(content.data(), 1, content.size(), file);
      std::fclose(file);
    }
    return path;
  }

  static std::string Read(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return "<missing>";
    char chunk[256];
    const std::size_t got = std::fread(chunk, 1, sizeof chunk, file);
    std::fclose(file);
    return std::string(chunk, got);
  }

  static bool IsDirectory(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }

  void Export(const std::string& localFile, const std::string& relative) {
    const std::string target = settings_.exportRoot + relative;
    MakeDirectoryChain(platform_, target, settings_.exportRoot.size(), known);
    CopyIfNewer(platform_, reporter_, LocalEntry(localFile), false, target);
  }

  std::string scratch_;
  Win32Platform platform_;
  RunSettings settings_;
  BoxReporter reporter_{platform_, settings_};
  KnownDirectories known;
};

TEST_F(Win32ExportFilesTest, PageThenDeeperPageMakesThePageADirectoryPage) {
  Export(CacheFile("one", "page a"), "host\\a");
  Export(CacheFile("two", "page b"), "host\\a\\b");
  EXPECT_TRUE(IsDirectory(settings_.exportRoot + "host\\a"));
  EXPECT_EQ(Read(settings_.exportRoot + "host\\a\\__"), "page a");
  EXPECT_EQ(Read(settings_.exportRoot + "host\\a\\b"), "page b");
}

TEST_F(Win32ExportFilesTest, DeeperPageThenPageLandsInTheDirectoryPage) {
  Export(CacheFile("two", "page b"), "host\\a\\b");
  Export(CacheFile("one", "page a"), "host\\a");
  EXPECT_EQ(Read(settings_.exportRoot + "host\\a\\__"), "page a");
  EXPECT_EQ(Read(settings_.exportRoot + "host\\a\\b"), "page b");
}

// The system resolves device names itself; the guard must see them at every level.
TEST_F(Win32ExportFilesTest, GuardRefusesDevicesAndClimbingButTakesOrdinaryTargets) {
  const std::string& root = settings_.exportRoot;
  for (const char* ok : {"http\\host\\page.html", "host\\a.b\\__", "host/x/y", "longurls\\7"}) {
    EXPECT_TRUE(StaysInsideRoot(platform_, root, root + ok)) << ok;
  }
  for (const char* bad : {"CON", "host\\nul", "host\\com1\\x", "aux\\page", "..\\x",
                          "host\\..\\..\\x", "a\\...\\x", "http:\\host"}) {
    EXPECT_FALSE(StaysInsideRoot(platform_, root, root + bad)) << bad;
  }
}

}  // namespace
}  // namespace murel

// murel.exe on a cache whose URLs attack the export: it must end normally, write nothing beside
// its export folder (device names, climbing names and drive colons included), and export every
// ordinary entry.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/win32/win32_platform.h"
#include "support/host_files.h"
#include "support/hostile_cache.h"
#include "support/index_dat_writer.h"
#include "support/win32_process.h"

namespace murel {
namespace {

// Every name under `folder` except `skip` and what lies inside it, folders ending in "\", sorted.
// The ANSI services keep names as the program made them, whatever bytes they hold.
void ListTree(const std::string& folder, const std::string& skip, const std::string& prefix,
              std::vector<std::string>& tree) {
  WIN32_FIND_DATAA found;
  HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = found.cFileName;
    const std::string path = folder + "\\" + name;
    if (name == "." || name == ".." || path == skip) continue;
    const bool directory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    tree.push_back(prefix + name + (directory ? "\\" : ""));
    if (directory) ListTree(path, skip, prefix + name + "\\", tree);
  } while (::FindNextFileA(search, &found));
  ::FindClose(search);
}

std::vector<std::string> TreeOutside(const std::string& folder, const std::string& skip) {
  std::vector<std::string> tree;
  ListTree(folder, skip, "", tree);
  std::sort(tree.begin(), tree.end());
  return tree;
}

// Runs murel.exe in `folder` with `arguments`; its exit status, -1 if it did not end in time.
int RunMurelIn(const std::string& folder, const std::string& arguments) {
  return RunProcess("\"" + std::string(MUREL_BINARY) + "\" " + arguments, folder);
}

TEST(Win32HostileCache, NothingLeavesTheRootAndOrdinaryEntriesAreExported) {
  char temp[MAX_PATH];
  ASSERT_NE(::GetTempPathA(MAX_PATH, temp), 0u);
  const std::string scratch =
      std::string(temp) + "murel-hostile-" + std::to_string(::GetCurrentProcessId());
  for (const std::string& folder :
       {scratch, scratch + "\\a", scratch + "\\a\\b", scratch + "\\cache"}) {
    ::CreateDirectoryA(folder.c_str(), nullptr);
  }
  std::ofstream(scratch + "\\a\\keep.txt") << "keep";
  ASSERT_TRUE(WriteHostileCache(scratch + "\\cache"));
  ASSERT_TRUE(::CopyFileA((std::string(MUREL_SOURCE_DIR) + "/samples/murel.ini").c_str(),
                          (scratch + "\\murel.ini").c_str(), FALSE));
  const std::string root = scratch + "\\a\\b\\out";
  const std::vector<std::string> before = TreeOutside(scratch, root);

  // The attacking entries are refused, which the status tells.
  EXPECT_EQ(RunMurelIn(scratch, "-nm -c cache a\\b\\out"), 4);
  EXPECT_EQ(TreeOutside(scratch, root), before) << "something was written beside the export";
  for (const ExpectedExport& entry : HostileCacheOrdinaryEntries()) {
    std::string path = entry.path;
    std::replace(path.begin(), path.end(), '/', '\\');
    EXPECT_EQ(ReadAll(root + "\\" + path), entry.content) << entry.url;
  }
  EXPECT_EQ(ReadAll(root + "\\http\\host\\same.html"), "same");
  // One listing line an entry: a URL with line ends and tabs forges none.
  const std::string listing = ReadAll(root + "\\urls.txt");
  EXPECT_EQ(static_cast<std::size_t>(std::count(listing.begin(), listing.end(), '\n')),
            HostileCacheEntryCount());
}

// Local file names that climb out of the cache folder are refused: the file beside the cache is
// not exported, the ordinary entry is.
TEST(Win32HostileCache, NothingIsReadFromOutsideTheCacheFolder) {
  char temp[MAX_PATH];
  ASSERT_NE(::GetTempPathA(MAX_PATH, temp), 0u);
  const std::string scratch =
      std::string(temp) + "murel-confined-" + std::to_string(::GetCurrentProcessId());
  for (const std::string& folder : {scratch, scratch + "\\cache", scratch + "\\cache\\CONTENT1"}) {
    ::CreateDirectoryA(folder.c_str(), nullptr);
  }
  std::ofstream(scratch + "\\secret.txt") << "secret";
  std::ofstream(scratch + "\\cache\\CONTENT1\\ok.htm") << "ok";
  ASSERT_TRUE(::CopyFileA((std::string(MUREL_SOURCE_DIR) + "/samples/murel.ini").c_str(),
                          (scratch + "\\murel.ini").c_str(), FALSE));
  IndexDatWriter index;
  index.AddDirectory("CONTENT1");
  index.AddTable();
  index.AddUrl("http://h/climb", "..\\..\\secret.txt", 0);
  index.AddUrl("http://h/slash", "..\\secret.txt", IndexDatWriter::kNoDirectory);
  index.AddUrl("http://h/ok", "ok.htm", 0);
  const std::vector<unsigned char> bytes = index.Bytes();
  std::ofstream(scratch + "\\cache\\index.dat", std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));

  EXPECT_EQ(RunMurelIn(scratch, "-nm -c cache out"), 4);
  EXPECT_EQ(ReadAll(scratch + "\\out\\http\\h\\ok"), "ok");
  EXPECT_EQ(ReadAll(scratch + "\\out\\http\\h\\climb"), "");
  EXPECT_EQ(ReadAll(scratch + "\\out\\http\\h\\slash"), "");
}

// Hundreds of nested codings (on a main-thread stack smaller than Linux's) and a bomb between two
// stages: each fails alone and leaves nothing at its target; the run goes on.
TEST(Win32HostileCache, HostileCodingsFailAlone) {
  char temp[MAX_PATH];
  ASSERT_NE(::GetTempPathA(MAX_PATH, temp), 0u);
  const std::string scratch =
      std::string(temp) + "murel-codings-" + std::to_string(::GetCurrentProcessId());
  ::CreateDirectoryA(scratch.c_str(), nullptr);
  ASSERT_TRUE(WriteHostileCodingsCache(scratch + "\\profile"));
  ASSERT_TRUE(::CopyFileA((std::string(MUREL_SOURCE_DIR) + "/samples/murel.ini").c_str(),
                          (scratch + "\\murel.ini").c_str(), FALSE));

  EXPECT_EQ(RunMurelIn(scratch, "-nm -c profile out"), 4) << "the hostile entries fail";
  for (const ExpectedExport& entry : HostileCodingsOrdinaryEntries()) {
    std::string path = entry.path;
    std::replace(path.begin(), path.end(), '/', '\\');
    EXPECT_EQ(ReadAll(scratch + "\\out\\" + path), entry.content) << entry.url;
  }
  EXPECT_EQ(TreeOutside(scratch + "\\out\\http\\h", ""),
            (std::vector<std::string>{"label.html", "plain.html", "twice.html"}));
}

// The cache folder is renamed and a like cache put at its path, after its first file was opened
// and after its second: nothing is read from the other cache.
TEST(Win32HostileCache, AFolderSwappedDuringTheRunIsNotRead) {
  char temp[MAX_PATH];
  ASSERT_NE(::GetTempPathA(MAX_PATH, temp), 0u);
  const std::pair<const char*, MarkedCacheWriter> caches[] = {
      {"firefox", &WriteMarkedFirefoxCache}, {"blockfile", &WriteMarkedBlockfileCache}};
  int run = 0;
  for (const auto& [name, make] : caches) {
    for (const int swapAt : {1, 2}) {
      const std::string scratch = std::string(temp) + "murel-swap-" +
                                  std::to_string(::GetCurrentProcessId()) + "-" +
                                  std::to_string(run++);
      const std::string cache = scratch + "\\entries";
      make(cache, "good");
      make(scratch + "\\outside", "evil");
      SwappingPlatform<Win32Platform> platform("entries", swapAt, [&] {
        ::MoveFileA(cache.c_str(), (cache + "-aside").c_str());
        ::MoveFileA((scratch + "\\outside").c_str(), cache.c_str());
      });
      for (const std::string& body : BodiesOf(platform, cache)) {
        EXPECT_EQ(body.rfind("good", 0), 0u) << name << " swapped at " << swapAt << ": " << body;
      }
    }
  }
}

}  // namespace
}  // namespace murel

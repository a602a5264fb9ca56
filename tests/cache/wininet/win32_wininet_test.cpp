// The index.dat reader against WinINet itself: the same cache file is listed by WinINet (in a
// child process, under Wine) and by the program's cache walk over the file, and both must give the
// same URLs in the same order with the same local files. The cache is the current user's WinINet
// cache; its own index.dat is moved aside for each test and put back afterwards.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "cache/cache_opener.h"
#include "platform/win32/win32_platform.h"
#include "support/synthetic_cache.h"
#include "support/win32_process.h"

namespace murel {
namespace {

// One listed entry: the URL and the local file relative to the cache folder.
using Listing = std::vector<std::pair<std::string, std::string>>;

std::vector<unsigned char> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

std::string TempPath(const std::string& name) {
  char temp[MAX_PATH];
  if (::GetTempPathA(MAX_PATH, temp) == 0) return name;
  return std::string(temp) + name;
}

// Runs a tool with one argument in a child process and returns its exit status (-1 if it could
// not be started or did not finish within two minutes). WinINet maps index.dat while a process
// uses the cache, so the file is read and replaced only while no child runs.
int RunTool(const std::string& tool, const std::string& argument) {
  return RunProcess("\"" + tool + "\" \"" + argument + "\"");
}

// The names of the folders in `folder`.
std::set<std::string> Subfolders(const std::string& folder) {
  std::set<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) names.insert(found.cFileName);
  } while (::FindNextFileA(search, &found));
  ::FindClose(search);
  return names;
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() &&
         ::CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, text.data(),
                          static_cast<int>(prefix.size()), prefix.data(),
                          static_cast<int>(prefix.size())) == CSTR_EQUAL;
}

class WinInetCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char cache[MAX_PATH];
    ASSERT_EQ(
        ::SHGetFolderPathA(nullptr, CSIDL_INTERNET_CACHE | CSIDL_FLAG_CREATE, nullptr, 0, cache),
        S_OK);
    folder_ = std::string(cache) + "\\Content.IE5";
    ::CreateDirectoryA(folder_.c_str(), nullptr);
    index_ = folder_ + "\\index.dat";
    backup_ = index_ + ".murel-test";
    const bool exists = ::GetFileAttributesA(index_.c_str()) != INVALID_FILE_ATTRIBUTES;
    folders_ = Subfolders(folder_);
    movedAside_ =
        exists && ::MoveFileExA(index_.c_str(), backup_.c_str(), MOVEFILE_REPLACE_EXISTING);
    ASSERT_TRUE(!exists || movedAside_) << "cannot move " << index_ << " aside";
  }

  void TearDown() override {
    ::DeleteFileA(index_.c_str());
    if (movedAside_) ::MoveFileA(backup_.c_str(), index_.c_str());
    // A new index comes with new directories; those left empty go with it.
    for (const std::string& name : Subfolders(folder_)) {
      if (folders_.count(name) == 0) ::RemoveDirectoryA((folder_ + "\\" + name).c_str());
    }
  }

  std::string Relative(const std::string& localFile) const {
    const std::string prefix = folder_ + "\\";
    return StartsWithNoCase(localFile, prefix) ? localFile.substr(prefix.size()) : localFile;
  }

  // The entries as WinINet lists them, from a child process.
  Listing ListThroughWinInet() const {
    const std::string output = TempPath("murel-wininet-list.txt");
    EXPECT_EQ(RunTool(MUREL_WININET_LIST, output), 0) << "the lister failed";
    Listing listing;
    std::ifstream in(output, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
      const std::size_t tab = line.find('\t');
      if (tab == std::string::npos) continue;
      listing.emplace_back(line.substr(0, tab), Relative(line.substr(tab + 1)));
    }
    in.close();
    ::DeleteFileA(output.c_str());
    return listing;
  }

  // The entries as the program's own reader gives them when the run names the cache file: the
  // index.dat reader over the Windows platform's file services.
  Listing ListThroughCursor() const {
    Listing listing;
    Win32Platform platform;
    const std::unique_ptr<CacheReader> reader = OpenCache(platform, index_);
    if (!reader) return {{"(the cache did not open)", ""}};
    for (CacheEntry entry; reader->Next(entry);) {
      listing.emplace_back(entry.url, Relative(entry.localFile));
    }
    return listing;
  }

  std::string folder_;
  std::string index_;
  std::string backup_;
  std::set<std::string> folders_;  // the folders in the cache folder before the test
  bool movedAside_ = false;
};

TEST_F(WinInetCacheTest, RealSamplesListAsWinInetListsThem) {
  const std::string samples = std::string(MUREL_SHARED_DIR) + "/testdata/ie-index-dat/";
  for (const char* name : {"content-ie5.dat", "history-ie5.dat", "mshist.dat", "nfury.dat"}) {
    SCOPED_TRACE(name);
    if (ReadBytes(samples + name).empty()) {
      GTEST_SKIP() << "sample files not found under " << samples;
    }
    ASSERT_TRUE(::CopyFileA((samples + name).c_str(), index_.c_str(), FALSE));
    // The samples are read-only, and so is the copy: WinINet could not use it afterwards, and
    // TearDown could not delete it.
    ::SetFileAttributesA(index_.c_str(), FILE_ATTRIBUTE_NORMAL);
    // Read first: WinINet may write to the file it opens.
    const Listing cursor = ListThroughCursor();
    const Listing wininet = ListThroughWinInet();
    EXPECT_FALSE(wininet.empty());
    EXPECT_EQ(cursor, wininet);
  }
}

TEST_F(WinInetCacheTest, CachesThatWinInetWritesListTheSame) {
  const std::vector<std::string> lines{
      "http://example.com/\thtm",
      "http://example.com/style/site.css\tcss",
      "http://example.com/search?q=a+b&page=2\t",  // a local file without an extension
      "ftp://files.example.org/pub/readme.txt\ttxt",
      "https://example.com/" + std::string(2500, 'x') + "\thtm",  // a record over 2000 bytes
      "http://example.com/img/logo.png\tpng",
  };
  const std::string list = TempPath("murel-wininet-add.txt");
  {
    std::ofstream out(list, std::ios::binary);
    for (const std::string& line : lines) out << line << "\n";
  }
  EXPECT_EQ(RunTool(MUREL_WININET_ADD, list), 0) << "the entries could not all be committed";
  ::DeleteFileA(list.c_str());

  const Listing cursor = ListThroughCursor();
  const Listing wininet = ListThroughWinInet();
  EXPECT_EQ(wininet.size(), lines.size());
  EXPECT_EQ(cursor, wininet);
  for (const auto& [url, localFile] : wininet) {
    EXPECT_FALSE(localFile.empty()) << url;
    ::DeleteFileA((folder_ + "\\" + localFile).c_str());
  }
}

TEST_F(WinInetCacheTest, GeneratedCachesListAsWinInetListsThem) {
  const std::vector<SyntheticEntry> plan = PlanSyntheticCache(600, 5);
  // The directories stay empty, so that TearDown takes them away with the index.
  ASSERT_TRUE(WriteSyntheticCache(folder_, plan, IndexDatWriter::Version::k52, false));
  const Listing cursor = ListThroughCursor();
  const Listing wininet = ListThroughWinInet();
  ASSERT_EQ(wininet.size(), plan.size());
  EXPECT_EQ(cursor, wininet);
  EXPECT_EQ(wininet.front().first, plan.front().url);
  EXPECT_EQ(wininet.back().first, plan.back().url);
}

}  // namespace
}  // namespace murel

// The cache walk of the Windows platform on WinINet's own cache (Wine's, under Wine), and the
// same cache read from its index.dat by the portable reader through a named cache path.
#include <gtest/gtest.h>
#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "cache/cache_opener.h"
#include "platform/win32/win32_platform.h"

namespace murel {
namespace {

// Puts `url` into WinINet's cache with a local file holding `content`; returns the local file.
std::string AddToCache(const std::string& url, const std::string& content) {
  char local[MAX_PATH];
  if (!::CreateUrlCacheEntryA(url.c_str(), 0, "htm", local, 0)) {
    ADD_FAILURE() << "CreateUrlCacheEntryA " << url << ": " << ::GetLastError();
    return "";
  }
  std::FILE* file = std::fopen(local, "wb");
  if (file != nullptr) {
    std::fwrite(content.data(), 1, content.size(), file);
    std::fclose(file);
  }
  const FILETIME none = {0, 0};
  const char headers[] = "HTTP/1.1 200 OK\r\n\r\n";
  if (!::CommitUrlCacheEntryA(url.c_str(), local, none, none, NORMAL_CACHE_ENTRY,
                              reinterpret_cast<BYTE*>(const_cast<char*>(headers)),
                              sizeof headers - 1, nullptr, nullptr)) {
    ADD_FAILURE() << "CommitUrlCacheEntryA " << url << ": " << ::GetLastError();
  }
  return local;
}

struct Walked {
  std::vector<UrlCacheEntry> entries;
  std::vector<std::uint32_t> grownTo;  // the sizes asked for by kBufferTooSmall
  bool opened = false;
};

// Walks the whole cache with a record buffer of 2000 bytes, offering the size asked for
// whenever a record does not fit.
Walked WalkAll(Platform& platform) {
  Walked walked;
  std::unique_ptr<CacheWalk> walk;
  UrlCacheEntry entry;
  std::uint32_t size = 2000;
  WalkStatus status = platform.StartCacheWalk("", size, entry, walk);
  while (status == WalkStatus::kBufferTooSmall) {
    walked.grownTo.push_back(size);
    status = platform.StartCacheWalk("", size, entry, walk);
  }
  if (status != WalkStatus::kEntry) return walked;
  walked.opened = true;
  for (;;) {
    walked.entries.push_back(entry);
    size = 2000;
    status = platform.ContinueCacheWalk(*walk, size, entry);
    while (status == WalkStatus::kBufferTooSmall) {
      walked.grownTo.push_back(size);
      status = platform.ContinueCacheWalk(*walk, size, entry);
    }
    if (status != WalkStatus::kEntry) return walked;
  }
}

// Every entry of the cache named `cachePath`, read by the portable reader.
Walked ReadNamed(Platform& platform, const std::string& cachePath) {
  Walked walked;
  const std::unique_ptr<CacheReader> reader = OpenCache(platform, cachePath);
  walked.opened = reader != nullptr;
  for (CacheEntry entry; reader && reader->Next(entry);) {
    walked.entries.push_back({entry.url, entry.localFile});
  }
  return walked;
}

const UrlCacheEntry* Find(const Walked& walked, const std::string& url) {
  for (const UrlCacheEntry& entry : walked.entries) {
    if (entry.url == url) return &entry;
  }
  return nullptr;
}

// The folder two levels above a local file: the cache folder that holds index.dat.
std::string CacheFolderOf(const std::string& localFile) {
  const std::size_t file = localFile.find_last_of('\\');
  const std::size_t dir = localFile.find_last_of('\\', file - 1);
  return localFile.substr(0, dir);
}

class Win32Cache : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const std::string stamp = std::to_string(::GetCurrentProcessId());
    shortUrl_ = "http://murel.test/" + stamp + "/page.html";
    longUrl_ = "http://murel.test/" + stamp + "/long?" + std::string(3000, 'q');
    otherUrl_ = "http://murel.test/" + stamp + "/other.css";
    shortFile_ = AddToCache(shortUrl_, "<p>page</p>");
    AddToCache(longUrl_, "long");
    AddToCache(otherUrl_, "p{}");
  }

  Win32Platform platform_;
  static std::string shortUrl_, longUrl_, otherUrl_, shortFile_;
};
std::string Win32Cache::shortUrl_, Win32Cache::longUrl_, Win32Cache::otherUrl_,
    Win32Cache::shortFile_;

TEST_F(Win32Cache, WalkDeliversEveryEntryWithItsLocalFile) {
  const Walked walked = WalkAll(platform_);
  ASSERT_TRUE(walked.opened);
  for (const std::string* url : {&shortUrl_, &longUrl_, &otherUrl_}) {
    const UrlCacheEntry* entry = Find(walked, *url);
    ASSERT_NE(entry, nullptr) << url->substr(0, 60);
    EXPECT_NE(::GetFileAttributesA(entry->localFile.c_str()), INVALID_FILE_ATTRIBUTES)
        << entry->localFile;
  }
  EXPECT_EQ(Find(walked, shortUrl_)->localFile, shortFile_);
}

TEST_F(Win32Cache, RecordTooLargeForTheBufferAsksForItsSizeAndIsNotLost) {
  const Walked walked = WalkAll(platform_);
  ASSERT_FALSE(walked.grownTo.empty());
  for (std::uint32_t size : walked.grownTo) EXPECT_GT(size, longUrl_.size());
  EXPECT_NE(Find(walked, longUrl_), nullptr);
}

TEST_F(Win32Cache, TinyBufferAtTheStartAsksForMore) {
  std::unique_ptr<CacheWalk> walk;
  UrlCacheEntry entry;
  std::uint32_t size = 8;
  ASSERT_EQ(platform_.StartCacheWalk("", size, entry, walk), WalkStatus::kBufferTooSmall);
  EXPECT_GT(size, 8u);
  EXPECT_EQ(walk, nullptr);
  EXPECT_EQ(platform_.StartCacheWalk("", size, entry, walk), WalkStatus::kEntry);
  EXPECT_NE(walk, nullptr);
}

// The portable reader of index.dat must give what WinINet gives, in the same order.
TEST_F(Win32Cache, NamedCacheFolderOrFileGivesWinInetsWalk) {
  const Walked wininet = WalkAll(platform_);
  const std::string folder = CacheFolderOf(shortFile_);
  for (const std::string& named : {folder, folder + "\\", folder + "\\index.dat"}) {
    SCOPED_TRACE(named);
    const Walked fromFile = ReadNamed(platform_, named);
    ASSERT_TRUE(fromFile.opened);
    ASSERT_EQ(fromFile.entries.size(), wininet.entries.size());
    for (std::size_t i = 0; i < wininet.entries.size(); ++i) {
      EXPECT_EQ(fromFile.entries[i].url, wininet.entries[i].url) << i;
      EXPECT_EQ(fromFile.entries[i].localFile, wininet.entries[i].localFile) << i;
    }
  }
}

TEST_F(Win32Cache, NamedCacheThatIsNoIndexFails) {
  char temp[MAX_PATH];
  ASSERT_NE(::GetTempPathA(MAX_PATH, temp), 0u);
  const std::string notIndex = std::string(temp) + "murel-not-an-index.dat";
  std::FILE* file = std::fopen(notIndex.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fputs("just some text, no cache", file);
  std::fclose(file);
  for (const std::string& named : {notIndex, std::string(temp) + "murel-missing\\index.dat"}) {
    EXPECT_FALSE(OpenCache(platform_, named)) << named;
  }
  ::DeleteFileA(notIndex.c_str());
}

}  // namespace
}  // namespace murel

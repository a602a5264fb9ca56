// Damage that Chromium cannot be made to write, done to the real cache in samples/chromium-cache
// on the fake platform: every damaged entry is passed over, and the rest still come.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "cache/cache_opener.h"
#include "cache/chromium/chromium_checksum.h"
#include "cache/chromium/chromium_entry.h"
#include "cache/chromium/chromium_key.h"
#include "export/stored_body_copy.h"
#include "support/fake_platform.h"
#include "support/faulty_platform.h"
#include "support/host_files.h"

namespace murel {
namespace {

namespace fs = std::filesystem;

constexpr const char* kProfile = "C:\\u\\Default";
constexpr const char* kCache = "C:\\u\\Default\\Cache\\Cache_Data";
const std::string kHost = "http://127.0.0.1:18013/";

class ChromiumCacheTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const auto& file :
         fs::directory_iterator(fs::path(MUREL_SOURCE_DIR) / "samples" / "chromium-cache")) {
      if (!file.is_regular_file()) continue;
      const std::string name = file.path().filename().string();
      const std::string bytes = ReadAll(file.path());
      platform.AddFile(std::string(kCache) + "\\" + name, bytes);
      if (bytes.find(kHost + "style.css") != std::string::npos)
        styleFile = std::string(kCache) + "\\" + name;
    }
    ASSERT_FALSE(styleFile.empty());
    platform.AddDirectory("C:\\out");
  }

  // The URLs read from the profile folder, each body written out on the way.
  std::vector<std::string> Urls() {
    std::vector<std::string> urls;
    const std::unique_ptr<CacheReader> reader = OpenCache(faulty, kProfile);
    if (!reader) return urls;
    for (CacheEntry entry; reader->Next(entry);) {
      urls.push_back(entry.url.substr(entry.url.rfind('/') + 1));
      bodies.push_back(WriteStoredBody(faulty, *entry.storedBody, false,
                                       "C:\\out\\" + urls.back()) == BodyCopy::kWritten);
    }
    return urls;
  }

  std::string& Style() { return content = *platform.Content(styleFile); }
  void SetStyle() { platform.AddFile(styleFile, content); }
  // Sets the key hash in `content` (an entry file's header) to that of its changed key, whose
  // length the header holds at 12; the key begins at 24.
  void RehashKey() {
    std::size_t keySize = 0;
    for (int i = 3; i >= 0; --i)
      keySize =
          keySize << 8 | static_cast<unsigned char>(content[12 + static_cast<std::size_t>(i)]);
    const std::uint32_t hash =
        SuperFastHash(reinterpret_cast<const unsigned char*>(content.data() + 24), keySize);
    for (int i = 0; i < 4; ++i)
      content[16 + static_cast<std::size_t>(i)] = static_cast<char>(hash >> (8 * i));
  }

  FakePlatform platform;
  FaultyPlatform faulty{platform};  // where the readers make their calls
  std::string styleFile;
  std::string content;
  std::vector<bool> bodies;
  const std::vector<std::string> all{"logo.png", "index.html", "style.css", "readme.txt"};
  const std::vector<std::string> allButStyle{"logo.png", "index.html", "readme.txt"};
};

TEST_F(ChromiumCacheTest, ProfileFolderLeadsToTheCacheAndEveryBodyIsTheServedFile) {
  EXPECT_EQ(Urls(), all);
  EXPECT_EQ(bodies, std::vector<bool>(4, true));
  EXPECT_EQ(platform.Content("C:\\out\\style.css"),
            ReadAll(fs::path(MUREL_SOURCE_DIR) / "samples/pages/style.css"));
}

TEST_F(ChromiumCacheTest, EntryCutShortIsPassedOver) {
  Style().resize(content.size() - 30);
  SetStyle();
  EXPECT_EQ(Urls(), allButStyle);
}

TEST_F(ChromiumCacheTest, ResponseInfoWithBadChecksumIsPassedOver) {
  const std::size_t status = Style().find("HTTP/1.0 200");
  ASSERT_NE(status, std::string::npos);
  content[status + 11] = '1';  // 201 is exportable: only the checksum stops it
  SetStyle();
  EXPECT_EQ(Urls(), allButStyle);
}

// The body's end record holds its CRC when Chromium wrote the body in one pass, as it did here.
TEST_F(ChromiumCacheTest, BodyWithBadChecksumIsPassedOverUnlessItHasNone) {
  const std::string css = ReadAll(fs::path(MUREL_SOURCE_DIR) / "samples/pages/style.css");
  const std::size_t body = Style().find(css);
  ASSERT_NE(body, std::string::npos);
  content[body + css.size() / 2] ^= 1;
  SetStyle();
  EXPECT_EQ(Urls(), allButStyle);
  const std::size_t end1 = content.find(std::string("\xD8\x41\x0D\x97\x45\x6F\xFA\xF4", 8), body);
  ASSERT_NE(end1, std::string::npos);
  content[end1 + 8] &= ~1;  // no CRC kept
  SetStyle();
  EXPECT_EQ(Urls(), all);
}

TEST_F(ChromiumCacheTest, KeyWithoutUrlIsPassedOver) {
  const std::size_t url = Style().find(kHost + "style.css");
  content.replace(url, 4, "    ");  // no scheme left; the key's hash made right again
  RehashKey();
  SetStyle();
  EXPECT_EQ(Urls(), allButStyle);
}

// The answer to a form POST is keyed by the upload's id: it answers one request, and is no
// resource of the URL.
TEST_F(ChromiumCacheTest, AnswerToAnUploadIsPassedOver) {
  const std::size_t id = Style().find("1/0/_dk_");
  ASSERT_EQ(id, 24u);
  content[id + 2] = '7';
  RehashKey();
  SetStyle();
  EXPECT_EQ(Urls(), allButStyle);
}

TEST(ChromiumKey, TheUrlOfAGetAnswerAfterItsPrefixes) {
  const std::string url = "http://h:1/a?b=c/d";
  for (const char* prefix : {"", "1/0/", "0/0/", "1/0/_dk_http://h http://h ",
                             "1/0/_dk_s_cn_http://h http://g 7 ", "0/", "_dk_http://h "}) {
    EXPECT_EQ(UrlOfCacheKey(prefix + url), url) << prefix;
  }
  // An upload's id, today after the credentials, in older keys alone.
  for (const char* prefix : {"1/7/", "1/-3/", "0/12/_dk_http://h http://h ", "5/", "1/00/"}) {
    EXPECT_EQ(UrlOfCacheKey(prefix + url), std::nullopt) << prefix;
  }
  EXPECT_EQ(UrlOfCacheKey("1/0/urls.txt"), std::nullopt);
}

TEST_F(ChromiumCacheTest, EntryFileThatVanishedAfterTheListingIsPassedOver) {
  faulty.FailOn(FaultyPlatform::Op::kOpenFile, styleFile);
  EXPECT_EQ(Urls(), allButStyle);
}

// Old 32-bit builds wrote the header and end records without their 4 bytes of tail padding.
TEST_F(ChromiumCacheTest, PackedRecordsOfOld32BitBuildsAreRead) {
  Style();
  const std::size_t end0 = content.size() - 24;
  const std::size_t end1 =
      content.rfind(std::string("\xD8\x41\x0D\x97\x45\x6F\xFA\xF4", 8), end0 - 1);
  ASSERT_NE(end1, std::string::npos);
  content.erase(end0 + 20, 4).erase(end1 + 20, 4).erase(20, 4);
  SetStyle();
  EXPECT_EQ(Urls(), all);
  EXPECT_EQ(platform.Content("C:\\out\\style.css"),
            ReadAll(fs::path(MUREL_SOURCE_DIR) / "samples/pages/style.css"));
}

// A version-3 pickle of a response with `headers` (lines ending in NUL).
std::string ResponseInfoOf(const std::string& headers) {
  std::string payload;
  auto put32 = [&payload](std::uint32_t value) {
    for (int i = 0; i < 4; ++i) payload += static_cast<char>(value >> (8 * i));
  };
  put32(3);
  payload += std::string(16, '\1');  // request and response times
  put32(static_cast<std::uint32_t>(headers.size()));
  payload += headers + std::string((4 - headers.size() % 4) % 4, '\0');
  const std::string body = payload;
  payload.clear();
  put32(static_cast<std::uint32_t>(body.size()));
  return payload + body;
}

// Chromium serves the whole body as stored once one of its labels is not a coding it knows.
TEST(ChromiumEntry, CodingsAreUndoneOnlyWhenChromiumKnowsEveryOne) {
  const std::vector<std::pair<std::string, std::vector<std::string>>> cases{
      {"gzip, br", {"gzip", "br"}}, {"X-Gzip", {"x-gzip"}}, {"UTF-8", {}},
      {"gzip, none", {}},           {"x-deflate", {}},
  };
  for (const auto& [header, codings] : cases) {
    const std::string info = ResponseInfoOf(std::string("HTTP/1.1 200 OK") + '\0' +
                                            "Content-Encoding: " + header + '\0');
    CacheEntry entry;
    ASSERT_TRUE(ToExportedEntry("1/0/http://h/a",
                                reinterpret_cast<const unsigned char*>(info.data()), info.size(),
                                StoredBody(), entry))
        << header;
    EXPECT_EQ(entry.storedBody->encodings, codings) << header;
  }
}

}  // namespace
}  // namespace murel

// Chromium's SQL cache read from databases made here with SQLite in the layout Chromium writes
// (the tables resources, blobs and meta), on the fake platform: the same in every build that has
// SQLite, the Windows build included.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cache/cache_opener.h"
#include "export/stored_body_copy.h"
#include "support/deflated.h"
#include "support/fake_platform.h"

namespace murel {
namespace {

constexpr const char* kCache = "C:\\u\\Default\\Cache\\Cache_Data";
const std::string kSite = "http://127.0.0.1:8000";

// `value` as 4 little-endian bytes.
std::string U32(std::size_t value) {
  std::string bytes;
  for (int i = 0; i < 4; ++i) bytes += static_cast<char>(value >> (8 * i) & 0xFF);
  return bytes;
}

// A pickled response info of version 3: no extra flags, the two times, the raw headers (lines
// ending in NUL, one more NUL at the end).
std::string Head(const std::string& statusAndHeaders) {
  std::string headers = statusAndHeaders + "\n\n";
  std::replace(headers.begin(), headers.end(), '\n', '\0');
  const std::string payload = U32(3) + std::string(16, '\1') + U32(headers.size()) + headers +
                              std::string((4 - headers.size() % 4) % 4, '\0');
  return U32(payload.size()) + payload;
}

// A resource row: its URL, head, body length, and pieces as [start, end) ranges of `body`.
struct Row {
  std::string url;
  std::string head;
  std::string body;
  std::vector<std::pair<int, int>> pieces;
  int bodyEnd = -1;  ///< -1: the body's size
  int doomed = 0;
};

// The bytes of a database with Chromium's tables holding `rows`.
std::string Database(const std::vector<Row>& rows) {
  sqlite3* db = nullptr;
  EXPECT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
  sqlite3_exec(db,
               "CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);"
               "INSERT INTO meta VALUES('version', 8);"
               "CREATE TABLE resources(res_id INTEGER PRIMARY KEY AUTOINCREMENT, last_used INTEGER,"
               " hints INTEGER, body_end INTEGER, bytes_usage INTEGER, doomed INTEGER,"
               " check_sum INTEGER, cache_key_hash INTEGER, cache_key TEXT, head BLOB);"
               "CREATE TABLE blobs(blob_id INTEGER PRIMARY KEY AUTOINCREMENT, res_id INTEGER,"
               " start INTEGER, end INTEGER, check_sum INTEGER, blob BLOB);",
               nullptr, nullptr, nullptr);
  sqlite3_stmt* resource = nullptr;
  sqlite3_stmt* blob = nullptr;
  sqlite3_prepare_v2(db,
                     "INSERT INTO resources(body_end, doomed, cache_key, head) VALUES(?, ?, ?, ?)",
                     -1, &resource, nullptr);
  sqlite3_prepare_v2(db, "INSERT INTO blobs(res_id, start, end, blob) VALUES(?, ?, ?, ?)", -1,
                     &blob, nullptr);
  for (const Row& row : rows) {
    const std::string key = "1/0/_dk_" + kSite + " " + kSite + " " + row.url;
    sqlite3_bind_int(resource, 1,
                     row.bodyEnd < 0 ? static_cast<int>(row.body.size()) : row.bodyEnd);
    sqlite3_bind_int(resource, 2, row.doomed);
    sqlite3_bind_text(resource, 3, key.data(), static_cast<int>(key.size()), SQLITE_TRANSIENT);
    sqlite3_bind_blob(resource, 4, row.head.data(), static_cast<int>(row.head.size()),
                      SQLITE_TRANSIENT);
    EXPECT_EQ(sqlite3_step(resource), SQLITE_DONE);
    sqlite3_reset(resource);
    for (const auto& [start, end] : row.pieces) {
      sqlite3_bind_int64(blob, 1, sqlite3_last_insert_rowid(db));
      sqlite3_bind_int(blob, 2, start);
      sqlite3_bind_int(blob, 3, end);
      sqlite3_bind_blob(blob, 4, row.body.data() + start, end - start, SQLITE_TRANSIENT);
      EXPECT_EQ(sqlite3_step(blob), SQLITE_DONE);
      sqlite3_reset(blob);
    }
  }
  sqlite3_finalize(resource);
  sqlite3_finalize(blob);
  sqlite3_int64 size = 0;
  unsigned char* bytes = sqlite3_serialize(db, "main", &size, 0);
  std::string image(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(size));
  sqlite3_free(bytes);
  sqlite3_close(db);
  return image;
}

class ChromiumSqlTest : public testing::Test {
 protected:
  void SetUp() override {
    platform.AddFile(std::string(kCache) + "\\index", "SQLCacheTruncate3");
    platform.AddDirectory("C:\\out");
  }

  void AddDatabase(const std::string& name, const std::vector<Row>& rows) {
    platform.AddFile(std::string(kCache) + "\\" + name, Database(rows));
  }

  // The URLs read from the profile folder, each body written to C:\out\<last URL segment>.
  std::vector<std::string> Urls() {
    std::vector<std::string> urls;
    const std::unique_ptr<CacheReader> reader = OpenCache(platform, "C:\\u\\Default");
    if (!reader) return urls;
    for (CacheEntry entry; reader->Next(entry);) {
      urls.push_back(entry.url.substr(entry.url.rfind('/') + 1));
      EXPECT_EQ(WriteStoredBody(platform, *entry.storedBody, false, "C:\\out\\" + urls.back()),
                BodyCopy::kWritten);
    }
    passedOver = reader->PassedOver();
    return urls;
  }

  FakePlatform platform;
  std::uint64_t passedOver = 0;
  const std::string ok = Head("HTTP/1.1 200 OK\nContent-Type: text/plain");
  const std::string text = std::string(3000, 'x') + "the end\n";
};

TEST_F(ChromiumSqlTest, EveryDatabaseInOrderEachBodyFromItsPiecesDecoded) {
  const std::string deflated = Deflated(text, 15);
  const int half = static_cast<int>(deflated.size() / 2);
  AddDatabase("sqldb1", {{kSite + "/b.txt",
                          Head("HTTP/1.1 200 OK\nContent-Encoding: deflate"),
                          deflated,
                          {{0, half}, {half, static_cast<int>(deflated.size())}}}});
  AddDatabase("sqldb0", {{kSite + "/a.txt", ok, text, {{0, 10}, {10, 3008}}},
                         {kSite + "/doomed.txt", ok, text, {{0, 3008}}, -1, 1}});
  platform.AddFile(std::string(kCache) + "\\sqldb0-journal", "");

  EXPECT_EQ(Urls(), (std::vector<std::string>{"a.txt", "b.txt"}));
  EXPECT_EQ(platform.Content("C:\\out\\a.txt"), text);
  EXPECT_EQ(platform.Content("C:\\out\\b.txt"), text);
  EXPECT_EQ(passedOver, 0u);
}

TEST_F(ChromiumSqlTest, RowsWithoutAWholeBodyOrNotExportedArePassedOver) {
  AddDatabase("sqldb0",
              {
                  {kSite + "/gap.txt", ok, text, {{0, 10}, {20, 3008}}},
                  {kSite + "/short.txt", ok, text, {{0, 3000}}},
                  {kSite + "/longer.txt", ok, text, {{0, 3008}}, 4000},
                  {kSite + "/missing.txt", Head("HTTP/1.1 404 Not Found"), text, {{0, 3008}}},
                  {kSite + "/kept.txt", ok, text, {{0, 3008}}},
              });
  EXPECT_EQ(Urls(), std::vector<std::string>{"kept.txt"});
  EXPECT_EQ(passedOver, 4u);
}

TEST_F(ChromiumSqlTest, DatabaseThatIsNoDatabaseGivesNoEntriesAndTheNextIsRead) {
  platform.AddFile(std::string(kCache) + "\\sqldb0", std::string(4096, 'z'));
  AddDatabase("sqldb1", {{kSite + "/kept.txt", ok, text, {{0, 3008}}}});
  EXPECT_EQ(Urls(), std::vector<std::string>{"kept.txt"});
}

}  // namespace
}  // namespace murel

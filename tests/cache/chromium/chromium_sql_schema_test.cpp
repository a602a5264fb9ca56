// The SQL cache reader on databases written by test code: the sound schema, and schemas that
// would make the reader's queries run SQL of the database's own.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "cache/cache_opener.h"
#include "support/fake_platform.h"

namespace murel {
namespace {

constexpr const char* kResources =
    "CREATE TABLE resources(res_id INTEGER PRIMARY KEY, last_used INTEGER, body_end INTEGER, "
    "doomed INTEGER, cache_key TEXT, head BLOB);";
constexpr const char* kBlobs =
    "CREATE TABLE blobs(blob_id INTEGER PRIMARY KEY, res_id INTEGER, start INTEGER, end INTEGER, "
    "blob BLOB);";
// A pickled response info: its payload's length, version 3, two times, "HTTP/1.1 200 OK".
constexpr const char* kRows =
    "INSERT INTO resources VALUES(1, 0, 4, 0, 'http://h/a', "
    "x'2c000000030000000000000000000000000000000000000011000000485454502f312e3120323030204f4b00"
    "00000000');"
    "INSERT INTO blobs VALUES(1, 1, 0, 4, x'61626364');";

// The URLs that the reader gives for a database made by `sql`.
std::vector<std::string> UrlsOf(const std::string& sql) {
  sqlite3* db = nullptr;
  sqlite3_open(":memory:", &db);
  EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
      << sqlite3_errmsg(db);
  sqlite3_int64 size = 0;
  unsigned char* bytes = sqlite3_serialize(db, "main", &size, 0);
  FakePlatform platform;
  platform.AddFile("C:\\cache\\index", "SQLCacheTruncate3");
  platform.AddFile("C:\\cache\\sqldb0", std::string(reinterpret_cast<const char*>(bytes),
                                                    static_cast<std::size_t>(size)));
  sqlite3_free(bytes);
  sqlite3_close(db);
  std::vector<std::string> urls;
  const std::unique_ptr<CacheReader> reader = OpenCache(platform, "C:\\cache");
  for (CacheEntry entry; reader && reader->Next(entry);) urls.push_back(entry.url);
  return urls;
}

TEST(ChromiumSql, PlainTablesGiveTheirRows) {
  EXPECT_EQ(UrlsOf(std::string(kResources) + kBlobs + kRows),
            std::vector<std::string>{"http://h/a"});
}

// Each schema holds the rows of the sound one, but reading them would run the database's own
// SQL (a view, a generated column) or sort whole rows (a key that is no primary key): the
// database gives nothing.
TEST(ChromiumSql, SchemasThatRunTheirOwnSqlGiveNothing) {
  const std::string plain = std::string(kResources) + kBlobs + kRows;
  const std::vector<std::string> hostile = {
      plain + "ALTER TABLE resources RENAME TO r; CREATE VIEW resources AS SELECT * FROM r;",
      plain + "ALTER TABLE blobs RENAME TO b; CREATE VIEW BLOBS AS SELECT * FROM b;",
      "CREATE TABLE resources(res_id INTEGER PRIMARY KEY, body_end INTEGER, doomed INTEGER, "
      "key TEXT, head BLOB, cache_key TEXT GENERATED ALWAYS AS (key || '') VIRTUAL);" +
          std::string(kBlobs) +
          "INSERT INTO resources(res_id, body_end, doomed, key, head) SELECT 1, 4, 0, "
          "'http://h/a', x'2c000000030000000000000000000000000000000000000011000000485454502f312e"
          "3120323030204f4b0000000000'; INSERT INTO blobs VALUES(1, 1, 0, 4, x'61626364');",
      "CREATE TABLE resources(res_id INTEGER, last_used INTEGER, body_end INTEGER, doomed "
      "INTEGER, cache_key TEXT, head BLOB);" +
          std::string(kBlobs) + kRows,
  };
  for (const std::string& sql : hostile) EXPECT_TRUE(UrlsOf(sql).empty()) << sql;
}

}  // namespace
}  // namespace murel

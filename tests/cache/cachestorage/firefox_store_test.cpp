// Firefox's CacheStorage on stores written by test code: which rows export, schemas refused,
// rows kept only in the write-ahead log.
#include <gtest/gtest.h>
#include <snappy.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cache/cache_opener.h"
#include "cache/cachestorage/snappy_framed_file.h"
#include "cache/core/sqlite_wal_image.h"
#include "support/fake_platform.h"

namespace murel {
namespace {

// The tables the reader uses, as Firefox 153 makes them.
constexpr const char* kSchema =
    "CREATE TABLE caches (id INTEGER NOT NULL PRIMARY KEY AUTOINCREMENT);"
    "CREATE TABLE entries (id INTEGER NOT NULL PRIMARY KEY, request_method TEXT NOT NULL, "
    "request_url_no_query TEXT NOT NULL, request_url_query TEXT NOT NULL, response_status "
    "INTEGER NOT NULL, response_status_text TEXT NOT NULL, response_body_id TEXT NULL, cache_id "
    "INTEGER NOT NULL REFERENCES caches(id));"
    "CREATE TABLE response_headers (name TEXT NOT NULL, value TEXT NOT NULL, entry_id INTEGER "
    "NOT NULL REFERENCES entries(id));"
    "CREATE TABLE storage (namespace INTEGER NOT NULL, key BLOB NULL, cache_id INTEGER NOT NULL "
    "REFERENCES caches(id), PRIMARY KEY(namespace, key));"
    "INSERT INTO caches VALUES (1), (2), (3);"
    "INSERT INTO storage VALUES (1, x'7b00', 1), (0, x'61', 2), (0, x'62', 3);";

const std::string kBodyA = "{00000000-0000-0000-0000-0000000000a1}";
const std::string kBodyB = "{00000000-0000-0000-0000-0000000000b2}";

// An entry row of cache `cache` with the body `body` (NULL when empty).
std::string Row(int id, const char* method, const char* url, const char* query, int status,
                int cache, const std::string& body) {
  return "INSERT INTO entries VALUES (" + std::to_string(id) + ", '" + method + "', '" + url +
         "', '" + query + "', " + std::to_string(status) + ", 'OK', " +
         (body.empty() ? std::string("NULL") : "'" + body + "'") + ", " + std::to_string(cache) +
         ");";
}

std::string Serialized(const std::string& sql) {
  sqlite3* db = nullptr;
  sqlite3_open(":memory:", &db);
  EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
      << sqlite3_errmsg(db);
  sqlite3_int64 size = 0;
  unsigned char* bytes = sqlite3_serialize(db, "main", &size, 0);
  std::string out(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(size));
  sqlite3_free(bytes);
  sqlite3_close(db);
  return out;
}

// `text` in snappy's framing, one compressed chunk.
std::string Framed(const std::string& text) {
  std::string block;
  snappy::Compress(text.data(), text.size(), &block);
  const std::uint32_t crc =
      MaskedCrc32c(reinterpret_cast<const unsigned char*>(text.data()), text.size());
  const std::size_t size = block.size() + 4;
  std::string out("\xFF\x06\x00\x00sNaPpY\x00", 11);
  for (const std::size_t shift : {0, 8, 16}) out.push_back(static_cast<char>(size >> shift));
  for (const std::size_t shift : {0, 8, 16, 24}) out.push_back(static_cast<char>(crc >> shift));
  return out + block;
}

// A store of one origin with `database` (and `log`), the bodies A (time 3000) and B (2000).
struct Store {
  FakePlatform platform;
  Store(const std::string& database, const std::string& log = "") {
    const std::string cache = "C:\\profile\\storage\\default\\http+++h\\cache\\";
    platform.AddFile(cache + "caches.sqlite", database);
    if (!log.empty()) platform.AddFile(cache + "caches.sqlite-wal", log);
    platform.AddFile(cache + "morgue\\161\\" + kBodyA + ".final", Framed("body A"), 3000);
    platform.AddFile(cache + "morgue\\178\\" + kBodyB + ".final", Framed("body B"), 2000);
  }
  // URL and body of each entry the reader gives for the profile.
  std::vector<std::pair<std::string, std::string>> Entries() {
    std::vector<std::pair<std::string, std::string>> out;
    const std::unique_ptr<CacheReader> reader = OpenCache(platform, "C:\\profile");
    for (CacheEntry entry; reader && reader->Next(entry);) {
      const std::shared_ptr<ReadableFile> file = entry.storedBody->open();
      std::string body(static_cast<std::size_t>(entry.storedBody->size), '\0');
      if (!file || file->ReadAt(0, reinterpret_cast<unsigned char*>(body.data()), body.size()) !=
                       body.size()) {
        body = "(unreadable)";
      }
      out.emplace_back(entry.url, body);
    }
    return out;
  }
};

using Entries = std::vector<std::pair<std::string, std::string>>;

TEST(FirefoxStore, GivesThePagesGetAnswersTheNewestOfEachUrl) {
  Store store(Serialized(std::string(kSchema) +
                         Row(1, "GET", "http://h/sw.js", "", 200, 1, kBodyA) +    // the worker's
                         Row(2, "GET", "http://h/a", "?x=1", 200, 2, kBodyA) +    // exported
                         Row(3, "GET", "http://h/missing", "", 404, 2, kBodyA) +  // an error
                         Row(4, "POST", "http://h/post", "", 200, 2, kBodyA) +    // no GET
                         Row(5, "GET", "http://h/part", "", 206, 2, kBodyA) +     // a range
                         Row(6, "GET", "http://h/twice", "", 200, 3, kBodyA) +    // newer
                         Row(7, "GET", "http://h/twice", "", 200, 2, kBodyB) +    // older
                         Row(8, "GET", "http://h/empty", "", 200, 2, "")));
  EXPECT_EQ(store.Entries(), (Entries{{"http://h/a?x=1", "body A"},
                                      {"http://h/twice", "body A"},
                                      {"http://h/empty", ""}}));
}

TEST(FirefoxStore, RefusedBodiesAndSchemasGiveNothing) {
  const std::string rows = Row(1, "GET", "http://h/a", "", 200, 2, kBodyA);
  // A body id that would climb out of the morgue.
  EXPECT_EQ(Store(Serialized(std::string(kSchema) +
                             Row(1, "GET", "http://h/a", "", 200, 2, "{../../../../x}")))
                .Entries(),
            Entries{});
  // Tables whose reading would run the database's own SQL.
  for (const std::string& hostile :
       {std::string("ALTER TABLE entries RENAME TO e; CREATE VIEW entries AS SELECT * FROM e;"),
        std::string("ALTER TABLE storage RENAME TO s; CREATE VIEW storage AS SELECT * FROM s;"),
        std::string("ALTER TABLE entries ADD COLUMN g INTEGER AS (id * 2);")}) {
    EXPECT_EQ(Store(Serialized(std::string(kSchema) + rows + hostile)).Entries(), Entries{})
        << hostile;
  }
}

// A database in write-ahead mode whose last rows are only in its log: the files as a browser
// that still has it open leaves them.
struct LoggedDatabase {
  std::string database;
  std::string log;
};

std::string Contents(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

LoggedDatabase Logged(const std::string& before, const std::vector<std::string>& logged) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("murel-wal-" + std::to_string(std::rand()));
  std::filesystem::create_directories(folder);
  const std::string path = (folder / "caches.sqlite").string();
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_exec(db, ("PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;" + before).c_str(),
               nullptr, nullptr, nullptr);
  sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE);", nullptr, nullptr, nullptr);
  for (const std::string& sql : logged) {
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
  }
  LoggedDatabase out{Contents(path), Contents(path + "-wal")};
  sqlite3_close(db);
  std::filesystem::remove_all(folder);
  return out;
}

TEST(FirefoxStore, ReadsTheRowsOfTheLogUpToItsLastSoundCommit) {
  const LoggedDatabase files =
      Logged(std::string(kSchema) + Row(1, "GET", "http://h/a", "", 200, 2, kBodyA),
             {Row(2, "GET", "http://h/b", "", 200, 2, kBodyB),
              Row(3, "GET", "http://h/c", "", 200, 2, kBodyB)});
  ASSERT_GT(files.log.size(), 32u);
  EXPECT_EQ(
      Store(files.database, files.log).Entries(),
      (Entries{{"http://h/a", "body A"}, {"http://h/b", "body B"}, {"http://h/c", "body B"}}));
  // A byte changed in the last frame: the transaction it ends is not taken, the first one is.
  std::string damaged = files.log;
  damaged[damaged.size() - 100] ^= 1;
  EXPECT_EQ(Store(files.database, damaged).Entries(),
            (Entries{{"http://h/a", "body A"}, {"http://h/b", "body B"}}));
  // A log of another database generation (other salts): none of it is taken.
  std::string stale = files.log;
  stale[16] ^= 1;
  EXPECT_EQ(Store(files.database, stale).Entries(), (Entries{{"http://h/a", "body A"}}));
}

}  // namespace
}  // namespace murel

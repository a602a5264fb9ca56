#include "support/hostile_cache.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <system_error>

#include "cache/cache_opener.h"
#include "cache/core/file_range.h"
#include "support/blockfile_writer.h"
#include "support/deflated.h"
#include "support/firefox_entry_writer.h"
#include "support/index_dat_writer.h"

#if MUREL_HAVE_SQLITE
#include <sqlite3.h>
#endif

namespace murel {
namespace {

constexpr std::size_t kSlotsPerTable = 448;
constexpr std::size_t kSameUrlCopies = 3000;

std::vector<std::string> HostileUrls() {
  std::string climbing = "http://host/";
  for (int i = 0; i < 600; ++i) climbing += "../";
  return {
      "http://host/../../../../escape.txt",
      "http://host/a/./../../../../../escape2.txt",
      "http://host/..\\..\\..\\..\\escape3.txt",
      "http://host\\..\\..\\..\\escape4.txt",
      "http://host/%2e%2e/%2e%2e/escape5.txt",
      "http://host/CON",
      "http://host/nul.txt",
      "http://host/COM1/x.html",
      "http://host/dev/aux.html",
      "http://host/a:b/c:d.txt",
      "http://host/C:/escape6.txt",
      "http://host/ctl\x01\x1f\x7f.html",
      "http://bank/login\t/etc/passwd\nhttp://forged/line\t/tmp/forged\r\n",
      "http://host/\xff\xfe\xc3(.html",
      "http://host/ . /. ./x",
      "http://host/" + std::string(5000, 'u'),
      climbing + "escape7.txt",
  };
}

bool WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary);
  out << content;
  return static_cast<bool>(out.flush());
}

std::string Gzip(const std::string& in) { return Deflated(in, 15 + 16); }

// `content` under `layers` gzip codings, and the Content-Encoding that says so.
std::pair<std::string, std::string> Gzipped(std::string content, int layers) {
  std::string header;
  for (int i = 0; i < layers; ++i) {
    content = Gzip(content);
    header += i == 0 ? "gzip" : ", gzip";
  }
  return {content, header};
}

// 64 MiB of empty gzip members, which decode to nothing, under two more gzip layers.
std::pair<std::string, std::string> StageBomb() {
  std::string members = Gzip("");
  while (members.size() < (std::size_t{64} << 20)) members += members;
  const auto [stored, codings] = Gzipped(members, 2);
  return {stored, "gzip, " + codings};
}

void WriteFiles(const std::string& folder, const std::map<std::string, std::string>& files) {
  std::filesystem::create_directories(folder);
  for (const auto& [name, bytes] : files) WriteFile(folder + "/" + name, bytes);
}

void WriteMarkedFirefoxCache(const std::string& folder, const std::string& mark) {
  std::map<std::string, std::string> files;
  for (int i = 0; i < 6; ++i) {
    FirefoxEntryPlan plan;
    plan.key = ":http://h/" + std::to_string(i);
    plan.data = mark + std::to_string(i);
    files[std::string(39, 'A') + static_cast<char>('0' + i)] = FirefoxEntryFile(plan);
  }
  WriteFiles(folder, files);
}

void WriteMarkedBlockfileCache(const std::string& folder, const std::string& mark) {
  BlockfileWriter writer;
  for (int i = 0; i < 3; ++i) writer.AddEntry({"http://h/" + std::to_string(i), mark});
  writer.AddEntry({"http://h/big", mark + std::string(5000, '.')});
  WriteFiles(folder, writer.Files());
}

#if MUREL_HAVE_SQLITE
// An SQL cache of one entry whose body is `mark`, in the tables Chromium writes.
void WriteMarkedSqlCache(const std::string& folder, const std::string& mark) {
  std::filesystem::create_directories(folder);
  WriteFile(folder + "/index", "SQLCacheTruncate3");
  sqlite3* db = nullptr;
  sqlite3_open((folder + "/sqldb0").c_str(), &db);
  const std::string sql =
      "CREATE TABLE resources(res_id INTEGER PRIMARY KEY, body_end INTEGER, doomed INTEGER, "
      "cache_key TEXT, head BLOB); CREATE TABLE blobs(blob_id INTEGER PRIMARY KEY, res_id "
      "INTEGER, start INTEGER, end INTEGER, blob BLOB); INSERT INTO resources VALUES(1, 4, 0, "
      "'http://h/a', x'2c000000030000000000000000000000000000000000000011000000485454502f312e312"
      "0323030204f4b0000000000'); INSERT INTO blobs VALUES(1, 1, 0, 4, '" +
      mark + "');";
  sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
  sqlite3_close(db);
}
#endif

}  // namespace

std::size_t HostileCacheEntryCount() {
  return HostileCacheOrdinaryEntries().size() + HostileUrls().size() + kSameUrlCopies;
}

std::vector<std::pair<std::string, MarkedCacheWriter>> MarkedCaches() {
  return {
    {"firefox", &WriteMarkedFirefoxCache}, {"blockfile", &WriteMarkedBlockfileCache},
#if MUREL_HAVE_SQLITE
    {
      "sql", &WriteMarkedSqlCache
    }
#endif
  };
}

std::vector<std::string> BodiesOf(Platform& platform, const std::string& folder) {
  std::vector<std::string> bodies;
  const std::unique_ptr<CacheReader> reader = OpenCache(platform, folder);
  for (CacheEntry entry; reader && reader->Next(entry);) {
    const StoredBody& body = *entry.storedBody;
    const std::shared_ptr<ReadableFile> file =
        body.open ? body.open() : platform.OpenFileForReading(body.file);
    std::vector<unsigned char> bytes;
    if (file && ReadRange(*file, body.offset, static_cast<std::size_t>(body.size), bytes))
      bodies.emplace_back(bytes.begin(), bytes.end());
  }
  return bodies;
}

std::vector<ExpectedExport> HostileCacheOrdinaryEntries() {
  return {
      {"http://good/index.html", "http/good/index.html", "good index"},
      {"http://good/dir", "http/good/dir/__", "good dir page"},
      {"http://good/dir/page.html", "http/good/dir/page.html", "good page"},
      {"https://good/s.css", "https/good/s.css", "good style"},
  };
}

bool WriteHostileCache(const std::string& cacheFolder) {
  IndexDatWriter writer;
  const std::uint8_t directory = writer.AddDirectory("ABCDEFGH");
  const std::string contentFolder = cacheFolder + "/ABCDEFGH/";
  std::error_code error;
  std::filesystem::create_directories(contentFolder, error);
  std::size_t entries = 0;
  auto add = [&](const std::string& url, const std::string& name, const std::string& content) {
    if (entries++ % kSlotsPerTable == 0) writer.AddTable();
    writer.AddUrl(url, name, directory);
    return WriteFile(contentFolder + name, content);
  };
  bool ok = !error;
  const std::vector<ExpectedExport> ordinary = HostileCacheOrdinaryEntries();
  ok = WriteFile(contentFolder + "same.bin", "same") && ok;
  for (std::size_t i = 0; i < ordinary.size(); ++i) {
    ok = add(ordinary[i].url, "good" + std::to_string(i) + ".bin", ordinary[i].content) && ok;
  }
  const std::vector<std::string> hostile = HostileUrls();
  for (std::size_t i = 0; i < hostile.size(); ++i) {
    ok = add(hostile[i], "bad" + std::to_string(i) + ".bin", "hostile " + std::to_string(i)) && ok;
  }
  for (std::size_t i = 0; i < kSameUrlCopies; ++i) {
    if (entries++ % kSlotsPerTable == 0) writer.AddTable();
    writer.AddUrl("http://host/same.html", "same.bin", directory);
  }
  const std::vector<unsigned char> bytes = writer.Bytes();
  return WriteFile(cacheFolder + "/index.dat", std::string(bytes.begin(), bytes.end())) && ok;
}

std::vector<ExpectedExport> HostileCodingsOrdinaryEntries() {
  return {
      {"http://h/twice.html", "http/h/twice.html", "gzipped twice"},
      {"http://h/label.html", "http/h/label.html", "sent with an unknown label"},
      {"http://h/plain.html", "http/h/plain.html", "no coding"},
  };
}

bool WriteHostileCodingsCache(const std::string& profileFolder) {
  const std::string entries = profileFolder + "/cache2/entries/";
  std::error_code error;
  std::filesystem::create_directories(entries, error);
  const std::vector<ExpectedExport> ordinary = HostileCodingsOrdinaryEntries();
  const std::vector<std::pair<std::string, std::string>> bodies{Gzipped(ordinary[0].content, 2),
                                                                {ordinary[1].content, "UTF-8"},
                                                                {ordinary[2].content, ""},
                                                                Gzipped("nested", 130),
                                                                StageBomb()};
  const std::vector<std::string> urls{ordinary[0].url, ordinary[1].url, ordinary[2].url,
                                      "http://h/nested.html", "http://h/bomb.html"};
  bool ok = !error;
  for (std::size_t i = 0; i < urls.size(); ++i) {
    FirefoxEntryPlan plan;
    plan.key = ":" + urls[i];
    plan.data = bodies[i].first;
    std::string head = "HTTP/1.1 200 OK\r\n";
    if (!bodies[i].second.empty()) head += "Content-Encoding: " + bodies[i].second + "\r\n";
    plan.elements = {{"request-method", "GET"}, {"response-head", head}};
    char name[41];
    std::snprintf(name, sizeof name, "%040zX", i);
    ok = WriteFile(entries + name, FirefoxEntryFile(plan)) && ok;
  }
  return ok;
}

}  // namespace murel

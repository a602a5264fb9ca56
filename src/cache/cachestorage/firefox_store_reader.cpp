#include "cache/cachestorage/firefox_store_reader.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "cache/cachestorage/snappy_framed_file.h"
#include "cache/cachestorage/store_entries.h"
#include "cache/core/cache_folder.h"
#include "cache/core/http_head.h"
#include "cache/core/memory_file.h"
#include "cache/core/sqlite_platform_vfs.h"
#include "cache/core/sqlite_schema.h"
#include "cache/core/sqlite_wal_image.h"

namespace murel {
namespace {

// The caches a page sees; namespace 1 holds the browser's own copies of worker scripts.
constexpr int kContentNamespace = 0;

// "{8-4-4-4-12 hex digits}", as Firefox names a body.
bool IsBodyId(std::string_view id) {
  if (id.size() != 38 || id.front() != '{' || id.back() != '}') return false;
  for (std::size_t i = 1; i + 1 < id.size(); ++i) {
    const char c = id[i];
    const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
    const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (dash ? c != '-' : !hex) return false;
  }
  return true;
}

// The folder of the morgue a body lies in: the decimal value of the id's last byte.
std::string MorgueFolder(std::string_view id) {
  const std::string last(id.substr(id.size() - 3, 2));
  return std::to_string(std::stoul(last, nullptr, 16));
}

// Where one origin's store lies, and its database.
struct OriginStore {
  std::shared_ptr<OpenedFolder> cache;  ///< The origin's "cache" folder.
  std::string path;                     ///< Its full path.
  std::shared_ptr<PlatformDatabase> database;
  FileTime time = 0;  ///< When the database or its log was last written.
};

// The body `id` of the store, opened from its folders; null when it is missing or damaged.
std::unique_ptr<SnappyFramedFile> OpenBody(OpenedFolder& cache, std::string_view id) {
  const std::unique_ptr<OpenedFolder> morgue = cache.OpenSubfolder("morgue");
  const std::unique_ptr<OpenedFolder> folder =
      morgue ? morgue->OpenSubfolder(MorgueFolder(id)) : nullptr;
  return folder ? SnappyFramedFile::Open(folder->OpenName(std::string(id) + ".final")) : nullptr;
}

// The headers of the entry `id`, read with `headers`.
std::vector<std::pair<std::string, std::string>> HeadersOf(Statement& headers, sqlite3_int64 id) {
  std::vector<std::pair<std::string, std::string>> out;
  headers.Reset(id);
  while (headers.Step()) out.emplace_back(headers.Text(0), headers.Text(1));
  return out;
}

// Sets the stored body of `entry` from the row's body id; false when the body cannot be read.
bool SetBody(const OriginStore& store, Statement& row, CacheEntry& entry) {
  StoredBody body;
  if (row.IsNull(6)) {
    // A response without a body (new Response(null)) exports as an empty file.
    const FileTime time = store.time;
    body.stored = time;
    body.file = store.path + "\\caches.sqlite";
    body.open = [time]() {
      return std::make_shared<MemoryFile>(std::vector<unsigned char>(), time);
    };
    entry.storedBody = std::move(body);
    return true;
  }
  const std::string id(row.Text(6));
  if (!IsBodyId(id)) return false;
  const std::unique_ptr<SnappyFramedFile> file = OpenBody(*store.cache, id);
  if (!file) return false;
  body.file = store.path + "\\morgue\\" + MorgueFolder(id) + "\\" + id + ".final";
  body.size = file->Facts().size;
  body.stored = file->Facts().time;
  // Opened again when it is copied, and only taken when it still decodes to the same size.
  body.open = [cache = store.cache, id, size = body.size]() -> std::shared_ptr<ReadableFile> {
    std::unique_ptr<SnappyFramedFile> again = OpenBody(*cache, id);
    if (!again || again->Facts().size != size) return nullptr;
    return again;
  };
  entry.storedBody = std::move(body);
  return true;
}

// Adds the entries of one origin's database to `entries`.
void ReadOrigin(const OriginStore& store, StoreEntries& entries) {
  sqlite3* db = store.database->Handle();
  if (!HasTables(db,
                 {
                     {"entries",
                      {"id"},
                      {"request_method", "request_url_no_query", "request_url_query",
                       "response_status", "response_status_text", "response_body_id", "cache_id"}},
                     {"storage", {"namespace", "key"}, {"cache_id"}},
                     {"response_headers", {}, {"name", "value", "entry_id"}},
                 })) {
    return;
  }
  Statement rows(db,
                 "SELECT id, request_method, request_url_no_query, request_url_query, "
                 "response_status, response_status_text, response_body_id FROM entries "
                 "WHERE cache_id IN (SELECT cache_id FROM storage WHERE namespace = ?) "
                 "ORDER BY id");
  Statement headers(db,
                    "SELECT name, value FROM response_headers WHERE entry_id = ? ORDER BY rowid");
  rows.Reset(kContentNamespace);
  while (rows.Step()) {
    const sqlite3_int64 status = rows.Int(4);
    CacheEntry entry;
    if (rows.Text(1) != "GET" || status < 0 || status > 999 ||
        !IsExportableStatus(static_cast<int>(status)) || !SetBody(store, rows, entry)) {
      entries.PassOver();
      continue;
    }
    entry.url = std::string(rows.Text(2)) + std::string(rows.Text(3));
    entry.head = StoredHead(static_cast<int>(status), std::string(rows.Text(5)),
                            HeadersOf(headers, rows.Int(0)));
    entries.Add(std::move(entry));
  }
}

// Opens the database of `store`, its write-ahead log applied, and sets its time.
void OpenDatabase(OriginStore& store) {
  const std::unique_ptr<ReadableFile> file = store.cache->OpenName("caches.sqlite");
  if (!file) return;
  const std::unique_ptr<ReadableFile> log = store.cache->OpenName("caches.sqlite-wal");
  store.time = std::max(file->Facts().time, log ? log->Facts().time : 0);
  std::unique_ptr<ReadableFile> image = DatabaseWithLog(*file, log.get());
  if (image)
    store.database = PlatformDatabase::Open(std::move(image), store.path + "\\caches.sqlite");
}

// Reads the store `store` (full path `path`) whole; null when no origin has a database.
std::unique_ptr<CacheReader> ReadStore(Platform& platform, OpenedFolder& store,
                                       const std::string& path) {
  std::vector<std::string> names;
  for (FolderItem& item : platform.ListFolder(path, false).value_or(std::vector<FolderItem>())) {
    if (IsPlainName(item.name)) names.push_back(std::move(item.name));
  }
  std::sort(names.begin(), names.end());
  StoreEntries entries;
  bool found = false;
  for (const std::string& name : names) {
    const std::unique_ptr<OpenedFolder> origin = store.OpenSubfolder(name);
    OriginStore one;
    one.cache = origin ? origin->OpenSubfolder("cache") : nullptr;
    if (!one.cache || !one.cache->QueryName("caches.sqlite")) continue;
    found = true;
    one.path = path + "\\" + name + "\\cache";
    OpenDatabase(one);
    if (one.database) ReadOrigin(one, entries);
  }
  if (!found) return nullptr;
  return std::move(entries).Reader();
}

}  // namespace

bool CanReadFirefoxStore() { return true; }

std::unique_ptr<CacheReader> OpenFirefoxStore(Platform& platform, const std::string& folder,
                                              std::shared_ptr<OpenedFolder> opened) {
  return ReadFirstStore(platform, folder, std::move(opened),
                        {{}, {"default"}, {"storage", "default"}}, &ReadStore);
}

}  // namespace murel

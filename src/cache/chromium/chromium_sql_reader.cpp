#include "cache/chromium/chromium_sql_reader.h"

#include <sqlite3.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "cache/chromium/chromium_entry.h"
#include "cache/core/sqlite_platform_vfs.h"
#include "cache/core/sqlite_schema.h"

namespace murel {
namespace {

// A body in more pieces than this is not read (real ones have a handful).
constexpr std::size_t kMaxPieces = 1 << 16;

// "sqldb<digits>", the number it carries.
std::optional<unsigned> DatabaseNumber(const std::string& name) {
  if (name.size() < 6 || name.size() > 12 || name.compare(0, 5, "sqldb") != 0) return std::nullopt;
  unsigned number = 0;
  for (std::size_t i = 5; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return std::nullopt;
    number = number * 10 + static_cast<unsigned>(name[i] - '0');
  }
  return number;
}

// One blob row: the body's bytes [start, end).
struct Piece {
  sqlite3_int64 blobId;
  std::uint64_t start;
  std::uint64_t end;
};

// A body read from its pieces, as a file of the body's size.
class PieceFile : public ReadableFile {
 public:
  PieceFile(std::shared_ptr<PlatformDatabase> database, std::vector<Piece> pieces, FileFacts facts)
      : database_(std::move(database)), pieces_(std::move(pieces)), facts_(facts) {}

  const FileFacts& Facts() const override { return facts_; }

  std::optional<std::size_t> ReadAt(std::uint64_t offset, unsigned char* buffer,
                                    std::size_t size) override {
    auto piece = std::upper_bound(pieces_.begin(), pieces_.end(), offset,
                                  [](std::uint64_t at, const Piece& p) { return at < p.end; });
    if (piece == pieces_.end() || size == 0) return 0;
    const auto count =
        static_cast<int>(std::min<std::uint64_t>({size, piece->end - offset, INT32_MAX}));
    sqlite3_blob* blob = nullptr;
    const bool read = sqlite3_blob_open(database_->Handle(), "main", "blobs", "blob", piece->blobId,
                                        0, &blob) == SQLITE_OK &&
                      sqlite3_blob_read(blob, buffer, count,
                                        static_cast<int>(offset - piece->start)) == SQLITE_OK;
    sqlite3_blob_close(blob);
    if (!read) return std::nullopt;
    return static_cast<std::size_t>(count);
  }

 private:
  std::shared_ptr<PlatformDatabase> database_;
  std::vector<Piece> pieces_;
  FileFacts facts_;
};

// True when the database holds `resources` and `blobs` as Chromium makes them.
bool HasCacheSchema(sqlite3* db) {
  return HasTables(db, {
                           {"resources", {"res_id"}, {"cache_key", "head", "body_end", "doomed"}},
                           {"blobs", {"blob_id"}, {"res_id", "start", "end", "blob"}},
                       });
}

// The rows of one database.
class DatabaseRows {
 public:
  DatabaseRows(std::shared_ptr<PlatformDatabase> database, std::string path, FileTime time)
      : database_(std::move(database)),
        path_(std::move(path)),
        time_(time),
        // Only the keys are sorted, so that sorting costs little memory whatever the rows hold;
        // each row is then fetched by its key.
        ids_(database_->Handle(), "SELECT res_id FROM resources WHERE doomed = 0 ORDER BY res_id"),
        rows_(database_->Handle(),
              "SELECT cache_key, head, body_end FROM resources WHERE res_id = ?"),
        pieces_(
            database_->Handle(),
            "SELECT blob_id, start, end, length(blob) FROM blobs WHERE res_id = ? ORDER BY start") {
  }

  bool Next(CacheEntry& entry) {
    if (!ids_.Ok() || !rows_.Ok() || !pieces_.Ok()) return false;
    while (ids_.Step()) {
      rows_.Reset(ids_.Int(0));
      if (rows_.Step() && ToEntry(ids_.Int(0), entry)) return true;
      ++passedOver_;
    }
    return false;
  }

  /// The rows passed over so far.
  std::uint64_t PassedOver() const { return passedOver_; }

 private:
  bool ToEntry(sqlite3_int64 id, CacheEntry& entry) {
    const sqlite3_int64 bodyEnd = rows_.Int(2);
    std::vector<Piece> pieces;
    const std::string_view head = rows_.Text(1);
    if (bodyEnd < 0 || head.size() > kMaxResponseInfoSize || !CollectPieces(id, bodyEnd, pieces))
      return false;
    StoredBody body;
    body.file = path_;
    body.size = static_cast<std::uint64_t>(bodyEnd);
    FileFacts facts{FileKind::kRegular, body.size, time_};
    body.open = [database = database_, pieces = std::move(pieces),
                 facts]() -> std::unique_ptr<ReadableFile> {
      return std::make_unique<PieceFile>(database, pieces, facts);
    };
    return ToExportedEntry(rows_.Text(0), reinterpret_cast<const unsigned char*>(head.data()),
                           head.size(), std::move(body), entry);
  }

  // The pieces of the resource `id`; false unless they cover [0, bodyEnd) in order, no gap.
  bool CollectPieces(sqlite3_int64 id, sqlite3_int64 bodyEnd, std::vector<Piece>& pieces) {
    pieces_.Reset(id);
    sqlite3_int64 covered = 0;
    while (pieces_.Step()) {
      const sqlite3_int64 start = pieces_.Int(1);
      const sqlite3_int64 end = pieces_.Int(2);
      if (start != covered || end < start || end - start != pieces_.Int(3) ||
          pieces.size() >= kMaxPieces) {
        return false;
      }
      if (end > start)
        pieces.push_back(
            {pieces_.Int(0), static_cast<std::uint64_t>(start), static_cast<std::uint64_t>(end)});
      covered = end;
    }
    return covered == bodyEnd;
  }

  std::shared_ptr<PlatformDatabase> database_;
  std::string path_;
  FileTime time_;
  Statement ids_;
  Statement rows_;
  Statement pieces_;
  std::uint64_t passedOver_ = 0;
};

class SqlReader : public CacheReader {
 public:
  SqlReader(std::string folder, std::shared_ptr<OpenedFolder> opened,
            std::vector<std::string> names)
      : folder_(std::move(folder)), opened_(std::move(opened)), names_(std::move(names)) {}

  bool Next(CacheEntry& entry) override {
    for (;;) {
      if (rows_ && rows_->Next(entry)) return true;
      if (rows_) passedOver_ += rows_->PassedOver();
      rows_.reset();
      if (next_ >= names_.size()) return false;
      OpenDatabase(names_[next_++]);
    }
  }

  std::uint64_t PassedOver() const override {
    return passedOver_ + (rows_ ? rows_->PassedOver() : 0);
  }

 private:
  void OpenDatabase(const std::string& name) {
    std::unique_ptr<ReadableFile> file = opened_->OpenName(name);
    if (!file) return;
    const FileTime time = file->Facts().time;
    const std::string path = folder_ + "\\" + name;
    std::shared_ptr<PlatformDatabase> database = PlatformDatabase::Open(std::move(file), path);
    // The schema is looked at before any statement of the reader's own is compiled against it.
    if (database && HasCacheSchema(database->Handle()))
      rows_ = std::make_unique<DatabaseRows>(std::move(database), path, time);
  }

  std::string folder_;
  std::shared_ptr<OpenedFolder> opened_;
  std::vector<std::string> names_;
  std::size_t next_ = 0;
  std::unique_ptr<DatabaseRows> rows_;
  std::uint64_t passedOver_ = 0;  // by the databases read to their end
};

}  // namespace

bool CanReadChromiumSql() { return true; }

std::unique_ptr<CacheReader> OpenChromiumSqlReader(Platform& platform, const std::string& folder,
                                                   std::shared_ptr<OpenedFolder> opened) {
  std::optional<std::vector<FolderItem>> items = platform.ListFolder(folder, false);
  if (!items) return nullptr;
  std::vector<std::pair<unsigned, std::string>> numbered;
  for (const FolderItem& item : *items) {
    if (const std::optional<unsigned> number = DatabaseNumber(item.name))
      numbered.emplace_back(*number, item.name);
  }
  if (numbered.empty()) return nullptr;
  std::sort(numbered.begin(), numbered.end());
  std::vector<std::string> names;
  for (const auto& [number, name] : numbered) names.push_back(name);
  return std::make_unique<SqlReader>(folder, std::move(opened), std::move(names));
}

}  // namespace murel

// SQLite reading database files through the platform's file services.
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"

struct sqlite3;

namespace murel {

/// An SQLite database opened read-only from a file already open: SQLite's file access is a VFS
/// of its own that hands SQLite that file as the main database, reads it with ReadAt, declares
/// it immutable (no locks, no journal, no write) and refuses every other file, so no file is
/// opened by its path. Closing happens on destruction.
class PlatformDatabase {
 public:
  /// Opens the database in `file` (whose full path is `path`), read-only. Its statements
  /// together may do work in proportion to the file's size; past that they are interrupted (and
  /// end as if the rows ran out). Null if it cannot be opened.
  static std::unique_ptr<PlatformDatabase> Open(std::unique_ptr<ReadableFile> file,
                                                const std::string& path);
  ~PlatformDatabase();
  PlatformDatabase(const PlatformDatabase&) = delete;
  PlatformDatabase& operator=(const PlatformDatabase&) = delete;

  sqlite3* Handle() const { return db_; }

 private:
  struct Vfs;
  PlatformDatabase() = default;

  std::unique_ptr<Vfs> vfs_;
  sqlite3* db_ = nullptr;
};

}  // namespace murel

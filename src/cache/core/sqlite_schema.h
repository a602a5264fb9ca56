// Statements and schema checks shared by the readers of SQLite databases.
#pragma once

#include <sqlite3.h>

#include <string_view>
#include <vector>

namespace murel {

/// One prepared statement; finalized on destruction. A statement that does not prepare (the
/// table or column is missing) is not Ok and gives no rows.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr); }
  ~Statement() { sqlite3_finalize(statement_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  bool Ok() const { return statement_ != nullptr; }
  bool Step() { return statement_ != nullptr && sqlite3_step(statement_) == SQLITE_ROW; }
  /// Starts the statement again with `parameter` as its first parameter.
  void Reset(sqlite3_int64 parameter) {
    sqlite3_reset(statement_);
    sqlite3_bind_int64(statement_, 1, parameter);
  }
  void Bind(int index, const char* text) {
    sqlite3_bind_text(statement_, index, text, -1, SQLITE_STATIC);
  }
  sqlite3_int64 Int(int column) { return sqlite3_column_int64(statement_, column); }
  /// A column's text or blob as it is (no terminator read); empty for NULL.
  std::string_view Text(int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_blob(statement_, column));
    return {text ? text : "", static_cast<std::size_t>(sqlite3_column_bytes(statement_, column))};
  }
  bool IsNull(int column) { return sqlite3_column_type(statement_, column) == SQLITE_NULL; }

 private:
  sqlite3_stmt* statement_ = nullptr;
};

/// A table a database must have: its name, its primary key's columns (none for a table keyed by
/// its row id) and the other columns that are read.
struct ExpectedTable {
  const char* name;
  std::vector<const char*> keys;
  std::vector<const char*> columns;
};

/// True when `table` is an ordinary table of the database, not a view or a virtual table: the
/// reader's statements then never run SQL of the database's own. The schema is read as text; a
/// view is never expanded, as looking at its columns would do (a chain of thousands of views
/// takes minutes to compile or ends the program when its nesting overflows the stack).
bool IsPlainTable(sqlite3* db, const char* table);

/// True when the plain table `table` has its columns: each expected one, its keys the primary
/// key and no other column in it, and no generated column anywhere (its expression would run
/// for every row read).
bool HasColumns(sqlite3* db, const ExpectedTable& table);

/// True when every table of `tables` is a plain table with its columns.
bool HasTables(sqlite3* db, const std::vector<ExpectedTable>& tables);

}  // namespace murel

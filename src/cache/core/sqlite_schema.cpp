#include "cache/core/sqlite_schema.h"

#include <algorithm>

namespace murel {

bool IsPlainTable(sqlite3* db, const char* table) {
  Statement objects(db,
                    "SELECT type = 'table' AND rootpage > 0 FROM sqlite_master WHERE name = ? "
                    "COLLATE NOCASE");
  if (!objects.Ok()) return false;
  objects.Bind(1, table);
  bool plain = false;
  int count = 0;
  while (objects.Step()) {
    plain = objects.Int(0) != 0;
    ++count;
  }
  return count == 1 && plain;
}

bool HasColumns(sqlite3* db, const ExpectedTable& table) {
  Statement columns(db, "SELECT name, pk, hidden FROM pragma_table_xinfo(?)");
  if (!columns.Ok()) return false;
  columns.Bind(1, table.name);
  std::size_t found = 0;
  std::size_t keysFound = 0;
  while (columns.Step()) {
    const std::string_view name = columns.Text(0);
    const bool isKey = std::count(table.keys.begin(), table.keys.end(), name) != 0;
    if (columns.Int(2) != 0 || (columns.Int(1) != 0) != isKey) return false;
    keysFound += isKey ? 1 : 0;
    found += static_cast<std::size_t>(std::count(table.columns.begin(), table.columns.end(), name));
  }
  return keysFound == table.keys.size() && found == table.columns.size();
}

bool HasTables(sqlite3* db, const std::vector<ExpectedTable>& tables) {
  return std::all_of(tables.begin(), tables.end(), [db](const ExpectedTable& table) {
    return IsPlainTable(db, table.name) && HasColumns(db, table);
  });
}

}  // namespace murel

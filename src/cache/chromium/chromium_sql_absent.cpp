// The SQL cache in a build without the SQLite library (the Windows build): recognised, not read.
#include "cache/chromium/chromium_sql_reader.h"

namespace murel {

bool CanReadChromiumSql() { return false; }

std::unique_ptr<CacheReader> OpenChromiumSqlReader(Platform&, const std::string&,
                                                   std::shared_ptr<OpenedFolder>) {
  return nullptr;
}

}  // namespace murel

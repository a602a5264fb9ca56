// Chromium's SQL disk cache (2025+): SQLite databases "sqldb0", "sqldb1", ...
#pragma once

#include <memory>
#include <string>

#include "cache/core/cache_reader.h"
#include "platform/platform.h"

namespace murel {

/// True when this build reads the SQL cache (it is built with the SQLite library).
bool CanReadChromiumSql();

/// A reader over the SQL cache in the folder `folder` (a full path), held open as `opened` (each
/// database is opened from there, once): the databases "sqldbN" in
/// the order of N, each database's live rows of `resources` in the order of `res_id`. A row's
/// body is the `blobs` of its resource, which must cover [0, body_end) without gap; the body is
/// read from them when it is exported (StoredBody::open). Rows being deleted, with an incomplete
/// body, or not exported (see ToExportedEntry) are passed over. A database that does not open,
/// or whose `resources` and `blobs` are not ordinary tables with their columns (a view, a
/// virtual table, a generated column, a key that is not the primary key), gives no entries: no
/// SQL of the database's own runs. Null if the folder holds no "sqldbN" file, or the build has no
/// SQLite.
std::unique_ptr<CacheReader> OpenChromiumSqlReader(Platform& platform, const std::string& folder,
                                                   std::shared_ptr<OpenedFolder> opened);

}  // namespace murel

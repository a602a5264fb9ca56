// An SQLite database as its readers see it while its write-ahead log is not merged yet.
#pragma once

#include <cstddef>
#include <memory>

#include "platform/platform.h"

namespace murel {

/// The largest database image built in memory; a larger database or log is not read.
constexpr std::size_t kMaxDatabaseImage = std::size_t{512} << 20;

/// The database `database` with the committed transactions of its write-ahead log `log` (may be
/// null or empty) applied, as a file in memory of the size the last commit gives, with
/// `database`'s time. A log frame counts when its salts are the log header's and the running
/// checksum holds up to it; frames after the last such commit frame are left out, as SQLite
/// leaves them. The image is marked as a database without a log (header bytes 18 and 19), so
/// that SQLite reads it alone. Neither file is written. Null when the database header is no
/// SQLite header, or the image would pass kMaxDatabaseImage.
std::unique_ptr<ReadableFile> DatabaseWithLog(ReadableFile& database, ReadableFile* log);

}  // namespace murel

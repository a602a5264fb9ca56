// Copying a cached entry's content to its target when the cache's copy is newer than what is
// there.
#pragma once

#include <string>

#include "cache/core/cache_entry.h"
#include "export/reporter.h"
#include "platform/platform.h"

namespace murel {

/// How the copy of one entry's content ended.
enum class CopyOutcome {
  kCopied,     ///< The target holds the cache's copy now.
  kUpToDate,   ///< The target was as new as the cache's copy, or newer.
  kNoContent,  ///< The cache has no content for the entry (no local file, or it is missing).
  kFailed,     ///< Reported to the reporter.
};

/// Copies the content of `entry` to `target` unless the file already at the target is as new as
/// it or newer. A target that names a directory means that directory's "__" page.
///
/// A local file is copied whole with its last-write time; a missing or unopenable one is passed
/// over silently, one whose time cannot be read is copied, and one that is no regular file (a
/// link, a pipe, a folder) is not read and is reported. A stored body is written with the time
/// the cache stored it, decoded unless `raw` (see WriteStoredBody). A failed copy is reported to
/// `reporter`. Copies are atomic: an interrupted run never leaves a partial file. `freshFolder`
/// tells that the run made the target's folder itself: a stored body is then first written as a
/// new file without a look at the target, which only what the run put there can stand in.
/// `always` copies whatever the times are: the target may hold another URL's bytes, whose time
/// says nothing of this URL's.
CopyOutcome CopyIfNewer(Platform& platform, Reporter& reporter, const CacheEntry& entry, bool raw,
                        const std::string& target, bool freshFolder = false, bool always = false);

/// Where a stored body's copy goes and what is there: the target, or the "__" page of the folder
/// at the target, with that name's facts (empty when nothing is there).
struct StoredTarget {
  std::string destination;
  std::optional<FileFacts> existing;
};

/// Looks at `target` for the copy of a stored body: one look, two when a folder is there.
StoredTarget LookAtStoredTarget(Platform& platform, const std::string& target);

/// LookAtStoredTarget of `target` whose name has been looked at already, with `facts`.
StoredTarget LookAtStoredTarget(Platform& platform, const std::string& target,
                                std::optional<FileFacts> facts);

/// True when the look found a regular file as new as `body` or newer: the copy is passed over.
bool HoldsAsNew(const StoredTarget& look, const StoredBody& body);

/// Writes the stored body of `entry` to the destination of `look` (taken after the look found it
/// out of date, or to be written whatever its time), reporting a failure to `reporter`.
CopyOutcome CopyOverLooked(Platform& platform, Reporter& reporter, const CacheEntry& entry,
                           bool raw, const StoredTarget& look);

}  // namespace murel

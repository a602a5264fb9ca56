// The walk over a cache that keeps one entry a file.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "cache/core/cache_reader.h"
#include "cache/core/entry_memo.h"
#include "platform/platform.h"

namespace murel {

/// Reads one open entry file (full path `path`) into `entry`: true for an entry that an export
/// takes, with its body a stored body of that file; false for any other (it is passed over).
using EntryFileReading =
    std::function<bool(ReadableFile& file, const std::string& path, CacheEntry& entry)>;

/// A reader over the entry files of the folder `folder` (a full path), held open as `opened`:
/// its names that `isEntryName` takes, in the order of their names. Every file is looked at and
/// opened one step from `opened` (never through a link), so that a folder put in the place of
/// `folder` during the walk is not read; `folder` names the files in entries and messages. Each
/// file is opened once and, when small, read whole; the entry's body is then copied from what was
/// read. With an earlier memo the files are read on a thread of the reader's own, a bounded
/// number of entries ahead of the caller, so `read` runs on that thread; without one, or when the
/// system cannot start a thread, each file is read on the caller's thread as Next asks for its
/// entry. With a memo (begun here), a file that the earlier memo knows by its size and time is
/// not opened at all, and every file read or known goes into the new memo; the memo is the
/// reading thread's until Next has given false. Files that vanish, are no regular
/// files or cannot be read are passed over. Null if the folder cannot be listed.
std::unique_ptr<CacheReader> WalkEntryFiles(Platform& platform, const std::string& folder,
                                            std::shared_ptr<OpenedFolder> opened,
                                            bool (*isEntryName)(std::string_view),
                                            EntryFileReading read, EntryMemo* memo);

}  // namespace murel

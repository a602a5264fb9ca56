// The walk over a cache that keeps one entry a file.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "urlcache/cache_reader.h"
#include "urlcache/entry_memo.h"

namespace murel {

/// Reads one open entry file (full path `path`) into `entry`: true for an entry that an export
/// takes, with its body a stored body of that file; false for any other (it is passed over).
using EntryFileReading =
    std::function<bool(ReadableFile& file, const std::string& path, CacheEntry& entry)>;

/// A reader over the entry files `names` of the folder `folder` (a full path), in the order of
/// their names. Each file is opened once and, when small, read whole; the entry's body is then
/// copied from what was read. With a memo, a file that the earlier memo knows is not opened at
/// all, and every file read is added to the new memo. Files that vanish, are no regular files or
/// cannot be read are passed over.
std::unique_ptr<CacheReader> WalkEntryFiles(Platform& platform, std::string folder,
                                            std::vector<std::string> names, EntryFileReading read,
                                            EntryMemo* memo);

}  // namespace murel

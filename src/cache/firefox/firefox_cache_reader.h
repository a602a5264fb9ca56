// A Firefox disk cache ("cache2"), read entry file by entry file.
#pragma once

#include <memory>
#include <string>

#include "cache/core/cache_reader.h"
#include "cache/core/entry_memo.h"
#include "platform/platform.h"

namespace murel {

/// The reader of the Firefox disk cache in or below `folder` (a full path, no trailing "\"): the
/// profile's cache folder that holds "cache2", the "cache2" folder itself, or its "entries"
/// folder. The folders below the named one must be real folders, not links: each is opened from
/// the one above it, and the entry files from the entries folder held open. Entries are the
/// files of "entries" whose names are 40 hexadecimal digits, read in the order of their names;
/// the index file and the "doomed" folder are not read. Only the entries that FirefoxEntryReader
/// takes are delivered; the others are passed over. With a memo, files it knows are not read
/// again (see WalkEntryFiles). Null when no entries folder is found or it cannot be listed.
/// `opened` is `folder` held open by the caller; null to open it here (a link there is followed:
/// the user named it).
std::unique_ptr<CacheReader> OpenFirefoxCache(Platform& platform, const std::string& folder,
                                              EntryMemo* memo = nullptr,
                                              std::shared_ptr<OpenedFolder> opened = nullptr);

}  // namespace murel

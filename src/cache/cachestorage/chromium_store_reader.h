// Chromium's CacheStorage: the caches that service workers and pages fill with the Cache API.
#pragma once

#include <memory>
#include <string>

#include "cache/core/cache_reader.h"
#include "platform/platform.h"

namespace murel {

/// A reader over Chromium's CacheStorage in or below the folder `folder` (a full path, held open
/// as `opened`, or opened here when null): the folder itself, its "CacheStorage", its
/// "Service Worker\CacheStorage" (a profile) or its "Default\Service Worker\CacheStorage" (a user
/// data folder). The store holds a folder of 40 hex digits for each origin, whose "index.txt"
/// lists its caches; each cache is a folder in the simple cache's format (see SimpleEntryFile)
/// whose key is the URL, stream 0 the entry's metadata (ParseChromiumCacheMetadata) and stream 1
/// the body, kept decoded: it is exported as stored, whatever coding its headers name. Origins
/// in the order of their folders' names, caches in the index's order, entries in the order of
/// their files' names; GET answers with a 2xx status other than 206 whose body matches its
/// CRC-32 are delivered, each URL once (see StoreEntries). Folders are opened one from the
/// other, never through a link, and each body is opened from its cache's folder when it is
/// copied. Null when no origin folder with an index is found. The store is read whole before the
/// first entry goes out.
std::unique_ptr<CacheReader> OpenChromiumStore(Platform& platform, const std::string& folder,
                                               std::shared_ptr<OpenedFolder> opened);

}  // namespace murel

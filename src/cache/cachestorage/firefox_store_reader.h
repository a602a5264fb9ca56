// Firefox's CacheStorage: the caches that service workers and pages fill with the Cache API.
#pragma once

#include <memory>
#include <string>

#include "cache/core/cache_reader.h"
#include "platform/platform.h"

namespace murel {

/// True when this build reads Firefox's store (it has SQLite and snappy).
bool CanReadFirefoxStore();

/// A reader over Firefox's CacheStorage in or below the folder `folder` (a full path, held open
/// as `opened`, or opened here when null): the folder itself (a profile's "storage\default"),
/// its "default", or its "storage\default" (a profile). Each origin's folder there with a
/// "cache\caches.sqlite" is read, in the order of the folders' names: the database together with
/// its write-ahead log (DatabaseWithLog: nothing is written beside them), when its tables are
/// the ones Firefox makes (HasTables), its entries of the caches a page sees (namespace 0; 1
/// holds the browser's own copy of the worker script) in the order of their ids. An entry's URL
/// is its URL without the query joined with the query; its body is "cache\morgue\<n>\<id>.final",
/// <n> the id's last byte, in snappy's framing (SnappyFramedFile), opened from the folders held
/// open, never through a link, and exported as it decodes (Firefox keeps it decoded, whatever
/// coding the headers name), with the body file's time as the time stored. GET answers with a
/// 2xx status other than 206 whose body opens and frames are delivered, each URL once (see
/// StoreEntries). Null when no origin has a database, or the build cannot read the store.
std::unique_ptr<CacheReader> OpenFirefoxStore(Platform& platform, const std::string& folder,
                                              std::shared_ptr<OpenedFolder> opened);

}  // namespace murel

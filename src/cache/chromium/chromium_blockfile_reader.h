// Chromium's "blockfile" disk cache (Windows): "index", "data_0".."data_N" and "f_xxxxxx".
#pragma once

#include <memory>
#include <string>

#include "cache/core/cache_reader.h"
#include "platform/platform.h"

namespace murel {

/// A reader over the blockfile cache in the folder `folder` (a full path), held open as `opened`
/// (every file of the cache, bodies included, is opened from there), index versions 2.0,
/// 2.1 and 3.0. Entries come in the order of the index's hash table: bucket by bucket, each
/// bucket's chain in order (cycles and revisits cut). An entry record whose checksums, state or
/// rankings node are wrong, that was open when its session ended, or that is not exported (see
/// ToExportedEntry) is passed over. Null if the index cannot be read or is of another kind.
std::unique_ptr<CacheReader> OpenChromiumBlockfileReader(const std::string& folder,
                                                         std::shared_ptr<OpenedFolder> opened);

}  // namespace murel

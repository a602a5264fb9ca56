// A walk over the URL entries of an index.dat file, in the order the cache service walks them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cache/core/cache_entry.h"
#include "platform/platform.h"

namespace murel {

/// Delivers the "URL " records of an index.dat file held in memory: HASH tables in chain order,
/// slots in ascending order. The file is untrusted; damaged records are passed over and nothing
/// is read outside it.
class IndexWalk {
 public:
  virtual ~IndexWalk() = default;

  /// A walk over `file` (the whole index.dat). `cacheFolder` is the Windows-form folder that holds
  /// it, without a trailing "\"; local files are cacheFolder + "\" + directory + "\" + file name.
  /// Null if `file` is not an index.dat of a known version.
  static std::unique_ptr<IndexWalk> Open(std::vector<unsigned char> file, std::string cacheFolder);

  /// Delivers the next URL entry. `recordSize` is the record buffer offered: when the entry's
  /// record (as the cache service would lay it out) needs more, returns kBufferTooSmall with the
  /// needed size and stays on the entry. kFailed at the end of the walk. An entry whose local
  /// file's names are not plain names is delivered refused.
  virtual WalkStatus Next(std::uint32_t& recordSize, CacheEntry& entry) = 0;
};

}  // namespace murel

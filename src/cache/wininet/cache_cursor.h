// The cursor of the system's cache walk: the open walk and the current entry.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/buffer_limits.h"
#include "platform/platform.h"

namespace murel {

/// The open cache walk and the entry it delivered last. `entry` is valid until the walk advances.
struct CacheCursor {
  std::unique_ptr<CacheWalk> walk;              ///< The open walk; null until one is open.
  UrlCacheEntry entry;                          ///< The current entry.
  std::uint32_t recordSize = kCacheRecordSize;  ///< The record size of the last platform call.
};

/// Opens the walk over the system's cache with the empty search pattern and takes its first
/// entry into `cursor`. An entry whose record needs more than `kCacheRecordSize` is taken with
/// the larger record the platform asks for. False if the walk cannot be opened or the cache has
/// no entry.
bool OpenCacheWalk(Platform& platform, CacheCursor& cursor);

/// Advances the open walk of `cursor` and takes the next entry, with a larger record when the
/// entry needs one. False when there is no further entry (or the walk fails).
bool NextCacheEntry(Platform& platform, CacheCursor& cursor);

}  // namespace murel

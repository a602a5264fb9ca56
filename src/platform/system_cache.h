// The system's own URL cache (WinINet's on Windows), walked entry by entry, and the cache that a
// run reads when the command line names none.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace murel {

/// One entry of the system's cache walk: the URL and the full path of the local file that holds
/// its content (empty when the entry has no local file).
struct UrlCacheEntry {
  std::string url;
  std::string localFile;
};

/// How one step of the cache walk ended.
enum class WalkStatus {
  kEntry,           ///< An entry was delivered.
  kBufferTooSmall,  ///< The entry's record needs more than the offered record size; the walk has
                    ///< not moved, and the record size now holds the size it needs.
  kFailed,          ///< No entry: the walk cannot start, or it has no further entry.
};

/// An open cache walk. Destroying it ends the walk.
class CacheWalk {
 public:
  virtual ~CacheWalk() = default;
};

/// The system's cache walk.
class SystemCache {
 public:
  virtual ~SystemCache() = default;

  /// Starts a walk over the system's URL cache (WinINet's on Windows; Linux has none and gives
  /// kFailed) and delivers its first entry. `recordSize` is the size of the record buffer
  /// offered; on kBufferTooSmall it is set to the size needed. On kEntry, `walk` holds the open
  /// walk and `entry` the first entry. A cache with no entries gives kFailed.
  virtual WalkStatus StartCacheWalk(const std::string& searchPattern, std::uint32_t& recordSize,
                                    UrlCacheEntry& entry, std::unique_ptr<CacheWalk>& walk) = 0;

  /// Delivers the next entry of `walk`; `recordSize` as for `StartCacheWalk`. kFailed
  /// when there is no further entry.
  virtual WalkStatus ContinueCacheWalk(CacheWalk& walk, std::uint32_t& recordSize,
                                       UrlCacheEntry& entry) = 0;
};

}  // namespace murel

#include "cache/wininet/cache_cursor.h"

namespace murel {
namespace {

// A platform that asks for a larger record gets it; one that keeps asking after this many
// larger records, or asks for no more than it was offered, is not making progress.
constexpr int kMaxRecordRetries = 4;

// Calls `step` with the standard record size and again with each larger size the platform asks
// for. Retrying instead of giving up keeps an entry with a long URL or long headers from ending
// the walk and silently losing every entry after it.
template <typename Step>
WalkStatus WithGrowingRecord(CacheCursor& cursor, Step step) {
  std::uint32_t offered = kCacheRecordSize;
  cursor.recordSize = offered;
  WalkStatus status = step();
  for (int retry = 0; status == WalkStatus::kBufferTooSmall && retry < kMaxRecordRetries; ++retry) {
    if (cursor.recordSize <= offered) break;
    offered = cursor.recordSize;
    status = step();
  }
  return status;
}

}  // namespace

bool OpenCacheWalk(Platform& platform, CacheCursor& cursor) {
  cursor.walk.reset();
  const WalkStatus status = WithGrowingRecord(cursor, [&] {
    return platform.StartCacheWalk("", cursor.recordSize, cursor.entry, cursor.walk);
  });
  if (status != WalkStatus::kEntry || !cursor.walk) {
    cursor.walk.reset();
    return false;
  }
  return true;
}

bool NextCacheEntry(Platform& platform, CacheCursor& cursor) {
  if (!cursor.walk) return false;
  const WalkStatus status = WithGrowingRecord(cursor, [&] {
    return platform.ContinueCacheWalk(*cursor.walk, cursor.recordSize, cursor.entry);
  });
  return status == WalkStatus::kEntry;
}

}  // namespace murel

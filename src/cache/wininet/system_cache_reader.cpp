#include "cache/wininet/system_cache_reader.h"

#include <utility>

#include "cache/wininet/cache_cursor.h"

namespace murel {
namespace {

// The walk delivers its first entry when it opens; the reader hands that one out first.
class SystemCacheReader : public CacheReader {
 public:
  SystemCacheReader(Platform& platform, CacheCursor cursor)
      : platform_(platform), cursor_(std::move(cursor)) {}

  bool Next(CacheEntry& entry) override {
    if (!first_ && !NextCacheEntry(platform_, cursor_)) return false;
    first_ = false;
    entry = CacheEntry{};
    entry.url = cursor_.entry.url;
    entry.localFile = cursor_.entry.localFile;
    return true;
  }

 private:
  Platform& platform_;
  CacheCursor cursor_;
  bool first_ = true;
};

}  // namespace

std::unique_ptr<CacheReader> OpenSystemCache(Platform& platform) {
  CacheCursor cursor;
  if (!OpenCacheWalk(platform, cursor)) return nullptr;
  return std::make_unique<SystemCacheReader>(platform, std::move(cursor));
}

}  // namespace murel

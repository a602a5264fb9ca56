#include "cache/core/cache_format.h"

#include <utility>

namespace murel {

std::unique_ptr<CacheReader> CacheFormat::Open(Platform& platform, const std::string& folder,
                                               EntryMemo* memo,
                                               std::shared_ptr<OpenedFolder> opened) const {
  // A format that reads one index file has nothing a memo could spare, and is not handed one.
  if (openRemembering != nullptr) return openRemembering(platform, folder, memo, std::move(opened));
  return openFolder(platform, folder, std::move(opened));
}

}  // namespace murel

// Firefox's store in a build without SQLite or snappy: not read.
#include "cache/cachestorage/firefox_store_reader.h"

namespace murel {

bool CanReadFirefoxStore() { return false; }

std::unique_ptr<CacheReader> OpenFirefoxStore(Platform&, const std::string&,
                                              std::shared_ptr<OpenedFolder>) {
  return nullptr;
}

}  // namespace murel

// Runs the parsers of Chromium's CacheStorage protocol buffers over the input: the origin's
// index (its caches and their folders) and an entry's metadata (stream 0). The sanitizers catch
// any read outside the input; the checks below catch results that break the parsers' promises.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "cache/cachestorage/chromium_cache_metadata.h"
#include "cache/cachestorage/chromium_store_index.h"
#include "cache/core/cache_folder.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  if (const auto caches = murel::ParseChromiumStoreIndex(input)) {
    for (const murel::ChromiumStoreCache& cache : *caches) {
      murel::FuzzCheck(murel::IsPlainName(cache.folder), "a cache's folder is a plain name");
      murel::FuzzCheck(cache.name.size() < size && cache.folder.size() < size,
                       "names lie inside the index");
    }
  }
  if (const auto meta = murel::ParseChromiumCacheMetadata(input)) {
    murel::FuzzCheck(meta->status >= 0 && meta->status <= 999, "a status of three digits");
    murel::FuzzCheck(meta->headers.size() <= size / 2, "each header takes input bytes");
  }
  return 0;
}

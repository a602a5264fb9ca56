// Feeds an arbitrary database file to the reader of Chromium's SQL cache (beside a valid
// "index") through SQLite on the in-memory platform; reads every entry it delivers, body
// included.
#include "chromium_fuzz_cache.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  murel::FakePlatform platform;
  platform.AddFile(std::string(murel::kFuzzCacheFolder) + "\\index", "SQLCacheTruncate3");
  murel::AddCacheFiles(platform, data, size, {"sqldb0", "sqldb1"});
  murel::ReadWholeCache(platform, size);
  return 0;
}

// Feeds arbitrary entry files to the reader of Chromium's simple cache (beside a valid "index")
// and reads every entry it delivers, body included.
#include "chromium_fuzz_cache.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  murel::FakePlatform platform;
  const std::string index("\x30\x5C\x72\xA7\x1B\x6D\xFB\xFC\x09\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 24);
  platform.AddFile(std::string(murel::kFuzzCacheFolder) + "\\index", index);
  murel::AddCacheFiles(
      platform, data, size,
      {"0000000000000001_0", "0000000000000002_0", "0000000000000003_0", "0000000000000004_0"});
  murel::ReadWholeCache(platform, size);
  return 0;
}

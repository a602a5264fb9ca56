// Feeds arbitrary files to the reader of Chromium's blockfile cache: the index, the block
// files data_0..data_3 and two external files; reads every entry it delivers, body included.
#include "chromium_fuzz_cache.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  murel::FakePlatform platform;
  murel::AddCacheFiles(platform, data, size,
                       {"index", "data_0", "data_1", "data_2", "data_3", "f_000001", "f_000002"});
  murel::ReadWholeCache(platform, size);
  return 0;
}

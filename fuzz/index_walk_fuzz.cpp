// Feeds arbitrary bytes to the index.dat reader as a whole file and walks every entry, offering
// record sizes that are too small as well as large enough. The sanitizers catch any read outside
// the file; the checks below catch entries that break the walk's promises.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "cache/wininet/index_walk.h"

namespace {

const char kFolder[] = "C:\\cache";

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::unique_ptr<murel::IndexWalk> walk =
      murel::IndexWalk::Open(std::vector<unsigned char>(data, data + size), kFolder);
  if (!walk) return 0;
  murel::CacheEntry entry;
  // Every entry is delivered once with a record too small (unless it fits the smallest) and
  // once with the size the walk asked for; entries never outnumber the file's 8-byte slots.
  std::size_t delivered = 0;
  for (;;) {
    std::uint32_t recordSize = 16;
    murel::WalkStatus status = walk->Next(recordSize, entry);
    if (status == murel::WalkStatus::kBufferTooSmall) {
      Check(recordSize > 16);
      status = walk->Next(recordSize, entry);
    }
    if (status != murel::WalkStatus::kEntry) break;
    Check(entry.localFile.empty() || entry.localFile.rfind(kFolder, 0) == 0);
    Check(++delivered <= size / 8);
  }
  return 0;
}

// Reads the input as a body in snappy's framing (Firefox's CacheStorage bodies), whole and from
// an offset the first bytes choose. The sanitizers catch any read outside the input; the checks
// below catch reads that break the file's promises.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "cache/cachestorage/snappy_framed_file.h"
#include "cache/core/memory_file.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t from = data[0] | data[1] << 8;
  auto file = murel::SnappyFramedFile::Open(
      std::make_unique<murel::MemoryFile>(std::vector<unsigned char>(data + 2, data + size), 1));
  if (!file) return 0;
  const std::uint64_t total = file->Facts().size;
  murel::FuzzCheck(total <= 65536ull * (size / 4 + 1), "at most 64 KiB a chunk header");
  std::vector<unsigned char> buffer(4096);
  std::uint64_t at = from;
  while (at < total) {
    const std::optional<std::size_t> read = file->ReadAt(at, buffer.data(), buffer.size());
    if (!read) break;
    murel::FuzzCheck(*read == std::min<std::uint64_t>(buffer.size(), total - at),
                     "a read comes short only at the end");
    at += *read;
  }
  return 0;
}

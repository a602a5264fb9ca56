#include "urlcache/file_range.h"

namespace murel {

bool ReadRange(ReadableFile& file, std::uint64_t offset, std::size_t size,
               std::vector<unsigned char>& bytes) {
  const std::uint64_t fileSize = file.Facts().size;
  if (offset > fileSize || size > fileSize - offset) return false;
  bytes.resize(size);
  for (std::size_t got = 0; got < size;) {
    const std::optional<std::size_t> read =
        file.ReadAt(offset + got, bytes.data() + got, size - got);
    if (!read || *read == 0) return false;
    got += *read;
  }
  return true;
}

}  // namespace murel

#include "urlcache/held_file.h"

#include <algorithm>
#include <cstring>

namespace murel {

std::shared_ptr<HeldFile> HeldFile::Open(Platform& platform, const std::string& path,
                                         std::size_t holdLimit) {
  std::unique_ptr<ReadableFile> file = platform.OpenFileForReading(path);
  if (!file) return nullptr;
  std::shared_ptr<HeldFile> held(new HeldFile(std::move(file)));
  if (held->Facts().size <= holdLimit) {
    const auto size = static_cast<std::size_t>(held->Facts().size);
    held->bytes_.resize(size);
    // One call reads a regular file whole; a shorter count means it was cut since it was opened.
    const std::optional<std::size_t> got = held->file_->ReadAt(0, held->bytes_.data(), size);
    if (!got || *got != size) return nullptr;
    held->held_ = true;
  }
  return held;
}

std::optional<std::size_t> HeldFile::ReadAt(std::uint64_t offset, unsigned char* buffer,
                                            std::size_t size) {
  if (!held_) return file_->ReadAt(offset, buffer, size);
  if (offset >= bytes_.size()) return 0;
  const std::size_t count = std::min(size, bytes_.size() - static_cast<std::size_t>(offset));
  std::memcpy(buffer, bytes_.data() + offset, count);
  return count;
}

}  // namespace murel

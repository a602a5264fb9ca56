#include "cache/core/held_file.h"

#include <algorithm>
#include <cstring>

namespace murel {

std::shared_ptr<HeldFile> HeldFile::Open(std::unique_ptr<ReadableFile> file,
                                         std::size_t holdLimit) {
  if (!file) return nullptr;
  std::shared_ptr<HeldFile> held(new HeldFile(std::move(file)));
  if (held->facts_.size <= holdLimit) {
    const auto size = static_cast<std::size_t>(held->facts_.size);
    // Not zero-filled: the read fills it whole or the file is given up.
    held->bytes_.reset(new unsigned char[size]);
    // One call reads a regular file whole; a shorter count means it was cut since it was opened.
    const std::optional<std::size_t> got = held->file_->ReadAt(0, held->bytes_.get(), size);
    if (!got || *got != size) return nullptr;
    held->file_.reset();
  }
  return held;
}

std::optional<std::size_t> HeldFile::ReadAt(std::uint64_t offset, unsigned char* buffer,
                                            std::size_t size) {
  if (file_) return file_->ReadAt(offset, buffer, size);
  if (offset >= facts_.size) return 0;
  const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(size, facts_.size - offset));
  std::memcpy(buffer, bytes_.get() + offset, count);
  return count;
}

}  // namespace murel

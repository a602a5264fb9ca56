// Bytes in memory read as a file.
#pragma once

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace murel {

/// A regular file whose bytes are held in memory, with the last-write time `time`.
class MemoryFile : public ReadableFile {
 public:
  MemoryFile(std::vector<unsigned char> bytes, FileTime time)
      : bytes_(std::move(bytes)), facts_{FileKind::kRegular, bytes_.size(), time} {}

  const FileFacts& Facts() const override { return facts_; }
  std::optional<std::size_t> ReadAt(std::uint64_t offset, unsigned char* buffer,
                                    std::size_t size) override {
    if (offset >= bytes_.size()) return 0;
    const auto from = static_cast<std::size_t>(offset);
    const std::size_t count = std::min(size, bytes_.size() - from);
    if (count != 0) std::memcpy(buffer, bytes_.data() + from, count);
    return count;
  }
  const unsigned char* HeldBytes() const override { return bytes_.data(); }

 private:
  std::vector<unsigned char> bytes_;
  FileFacts facts_;
};

}  // namespace murel

// A cache file open for reading, held in memory when it is small.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace murel {

/// A regular file open for reading that holds all its bytes in memory when it is small, so that
/// the reader's look at its parts and the copy of its body cost one read between them. A held
/// file is closed at once: only its bytes stay.
class HeldFile : public ReadableFile {
 public:
  /// Takes the open `file` and reads it whole when it has at most `holdLimit` bytes. Null when
  /// `file` is null, or cannot be read whole.
  static std::shared_ptr<HeldFile> Open(std::unique_ptr<ReadableFile> file, std::size_t holdLimit);

  const FileFacts& Facts() const override { return facts_; }
  /// From memory when the file is held, else from the file.
  std::optional<std::size_t> ReadAt(std::uint64_t offset, unsigned char* buffer,
                                    std::size_t size) override;
  const unsigned char* HeldBytes() const override { return file_ ? nullptr : bytes_.get(); }

 private:
  explicit HeldFile(std::unique_ptr<ReadableFile> file)
      : file_(std::move(file)), facts_(file_->Facts()) {}

  std::unique_ptr<ReadableFile> file_;  ///< Null once the file is held.
  FileFacts facts_;
  std::unique_ptr<unsigned char[]> bytes_;  ///< The whole file when it is held.
};

}  // namespace murel

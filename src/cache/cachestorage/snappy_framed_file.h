// The bodies Firefox keeps in its CacheStorage: snappy's framing format.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/platform.h"

namespace murel {

/// The most chunks one body is read in (a chunk holds at most 64 KiB: 256 GiB).
constexpr std::size_t kMaxSnappyChunks = std::size_t{1} << 22;

/// A file in snappy's framing format read as the bytes it holds decoded: the stream identifier,
/// then compressed (0x00) and uncompressed (0x01) chunks of at most 64 KiB each, with padding and
/// other skippable chunks (0x80 to 0xFE) passed over. Memory holds one decoded chunk whatever the
/// body's size. Each chunk is checked against its masked CRC-32C when it is decoded, in the
/// standard form or Firefox's (see MaskedCrc32c): a chunk that matches neither, or does not
/// decode, fails the read.
class SnappyFramedFile : public ReadableFile {
 public:
  /// Indexes the chunks of `file` (reading only their headers and the decoded length of each
  /// compressed one), with `file`'s time. Null when the framing is damaged: no stream identifier
  /// first, an unskippable reserved chunk (0x02 to 0x7F), a chunk cut short or holding more than
  /// 64 KiB, more than kMaxSnappyChunks chunks.
  static std::unique_ptr<SnappyFramedFile> Open(std::unique_ptr<ReadableFile> file);

  const FileFacts& Facts() const override { return facts_; }
  std::optional<std::size_t> ReadAt(std::uint64_t offset, unsigned char* buffer,
                                    std::size_t size) override;

 private:
  struct Chunk {
    std::uint64_t at;     ///< Where its data (after the CRC) begins in the file.
    std::uint32_t size;   ///< Its data's size in the file.
    std::uint64_t start;  ///< Where its decoded bytes begin in the body.
    bool compressed;
  };

  explicit SnappyFramedFile(std::unique_ptr<ReadableFile> file) : file_(std::move(file)) {}
  bool Index();
  bool Decode(std::size_t chunk);

  std::unique_ptr<ReadableFile> file_;
  FileFacts facts_;
  std::vector<Chunk> chunks_;
  std::size_t decoded_ = SIZE_MAX;  ///< The chunk `bytes_` holds decoded.
  std::vector<unsigned char> bytes_;
};

/// CRC-32C (Castagnoli) of `size` bytes, masked as snappy's framing keeps it. `uninverted`
/// leaves out the CRC's final inversion, as Firefox does when it frames a body.
std::uint32_t MaskedCrc32c(const unsigned char* data, std::size_t size, bool uninverted = false);

}  // namespace murel

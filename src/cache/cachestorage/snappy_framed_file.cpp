#include "cache/cachestorage/snappy_framed_file.h"

#include <snappy.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "cache/core/file_range.h"
#include "cache/core/little_endian.h"

namespace murel {
namespace {

constexpr unsigned char kStreamIdentifier[] = {0xFF, 0x06, 0x00, 0x00, 's',
                                               'N',  'a',  'P',  'p',  'Y'};
constexpr unsigned char kCompressed = 0x00;
constexpr unsigned char kUncompressed = 0x01;
constexpr unsigned char kFirstSkippable = 0x80;
constexpr std::size_t kMaxDecodedChunk = 65536;
constexpr std::size_t kCrcSize = 4;
// A compressed chunk's data is its decoded length (a varint of at most 5 bytes) and the block.
constexpr std::size_t kMaxCompressedChunk = 5 + kMaxDecodedChunk + kMaxDecodedChunk / 6 + 32;

std::array<std::uint32_t, 256> Crc32cTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t crc = i;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0x82F63B78u & (0u - (crc & 1)));
    table[i] = crc;
  }
  return table;
}

// The decoded length at the start of a compressed block; empty when it is no varint of 32 bits.
std::optional<std::uint32_t> DecodedLength(const unsigned char* data, std::size_t size) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < size && i < 5; ++i) {
    value |= static_cast<std::uint64_t>(data[i] & 0x7F) << (7 * i);
    if ((data[i] & 0x80) == 0) {
      return value > UINT32_MAX ? std::nullopt : std::optional<std::uint32_t>(value);
    }
  }
  return std::nullopt;
}

}  // namespace

std::uint32_t MaskedCrc32c(const unsigned char* data, std::size_t size, bool uninverted) {
  static const std::array<std::uint32_t, 256> table = Crc32cTable();
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  if (!uninverted) crc = ~crc;
  return ((crc >> 15) | (crc << 17)) + 0xA282EAD8u;
}

std::unique_ptr<SnappyFramedFile> SnappyFramedFile::Open(std::unique_ptr<ReadableFile> file) {
  if (!file) return nullptr;
  std::unique_ptr<SnappyFramedFile> framed(new SnappyFramedFile(std::move(file)));
  if (!framed->Index()) return nullptr;
  return framed;
}

bool SnappyFramedFile::Index() {
  const std::uint64_t end = file_->Facts().size;
  std::vector<unsigned char> head;
  if (!ReadRange(*file_, 0, sizeof kStreamIdentifier, head) ||
      std::memcmp(head.data(), kStreamIdentifier, sizeof kStreamIdentifier) != 0) {
    return false;
  }
  std::uint64_t decoded = 0;
  for (std::uint64_t at = sizeof kStreamIdentifier; at < end;) {
    // A chunk header and, for a compressed chunk, the CRC and the start of its decoded length.
    if (!ReadRange(*file_, at, static_cast<std::size_t>(std::min<std::uint64_t>(end - at, 13)),
                   head) ||
        head.size() < 4) {
      return false;
    }
    const unsigned char type = head[0];
    const std::uint32_t size = head[1] | head[2] << 8 | static_cast<std::uint32_t>(head[3]) << 16;
    if (end - at - 4 < size || (type > kUncompressed && type < kFirstSkippable) || type == 0xFF) {
      return false;
    }
    if (type == kCompressed || type == kUncompressed) {
      if (size < kCrcSize || chunks_.size() == kMaxSnappyChunks) return false;
      std::optional<std::uint32_t> length = size - kCrcSize;
      if (type == kCompressed) {
        length = size > kMaxCompressedChunk ? std::nullopt
                                            : DecodedLength(head.data() + 8, head.size() - 8);
      }
      if (!length || *length > kMaxDecodedChunk) return false;
      chunks_.push_back({at + 4, size, decoded, type == kCompressed});
      decoded += *length;
    }
    at += 4 + std::uint64_t{size};
  }
  facts_ = {FileKind::kRegular, decoded, file_->Facts().time};
  return true;
}

bool SnappyFramedFile::Decode(std::size_t chunk) {
  if (decoded_ == chunk) return true;
  decoded_ = SIZE_MAX;
  const Chunk& c = chunks_[chunk];
  std::vector<unsigned char> data;
  if (!ReadRange(*file_, c.at, c.size, data)) return false;
  const std::uint32_t crc = LoadU32(data.data());
  const auto* block = reinterpret_cast<const char*>(data.data() + kCrcSize);
  const std::size_t blockSize = c.size - kCrcSize;
  if (c.compressed) {
    std::size_t length = 0;
    if (!snappy::GetUncompressedLength(block, blockSize, &length) || length > kMaxDecodedChunk)
      return false;
    bytes_.resize(length);
    if (!snappy::RawUncompress(block, blockSize, reinterpret_cast<char*>(bytes_.data())))
      return false;
  } else {
    bytes_.assign(data.begin() + kCrcSize, data.end());
  }
  if (MaskedCrc32c(bytes_.data(), bytes_.size(), false) != crc &&
      MaskedCrc32c(bytes_.data(), bytes_.size(), true) != crc) {
    return false;
  }
  decoded_ = chunk;
  return true;
}

std::optional<std::size_t> SnappyFramedFile::ReadAt(std::uint64_t offset, unsigned char* buffer,
                                                    std::size_t size) {
  std::size_t done = 0;
  while (done < size && offset + done < facts_.size) {
    const std::uint64_t at = offset + done;
    // The last chunk that starts at or before `at`.
    const auto chunk =
        std::upper_bound(chunks_.begin(), chunks_.end(), at,
                         [](std::uint64_t a, const Chunk& c) { return a < c.start; }) -
        1;
    const auto index = static_cast<std::size_t>(chunk - chunks_.begin());
    if (!Decode(index)) return std::nullopt;
    const auto from = static_cast<std::size_t>(at - chunk->start);
    // An empty chunk, or one that decoded shorter than its header said, ends the body early.
    const std::uint64_t next = index + 1 < chunks_.size() ? chunks_[index + 1].start : facts_.size;
    if (bytes_.size() != next - chunk->start) return std::nullopt;
    const std::size_t count = std::min(size - done, bytes_.size() - from);
    std::memcpy(buffer + done, bytes_.data() + from, count);
    done += count;
  }
  return done;
}

}  // namespace murel

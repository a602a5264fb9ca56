#include "cache/core/sqlite_wal_image.h"

#include <cstring>
#include <vector>

#include "cache/core/file_range.h"
#include "cache/core/little_endian.h"
#include "cache/core/memory_file.h"

namespace murel {
namespace {

constexpr std::size_t kDatabaseHeader = 100;
constexpr std::size_t kLogHeader = 32;
constexpr std::size_t kFrameHeader = 24;
constexpr std::uint32_t kLogMagic = 0x377F0682;  // low bit: checksums of big-endian words

std::uint32_t LoadBigU32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
         static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}

// The page size of a database or log header field: 1 stands for 65536; others must be a power
// of two from 512.
std::size_t PageSize(std::uint32_t field) {
  if (field == 1) return 65536;
  if (field < 512 || field > 32768 || (field & (field - 1)) != 0) return 0;
  return field;
}

// SQLite's log checksum: over pairs of 32-bit words, each in the byte order the log names.
void Checksum(const unsigned char* data, std::size_t size, bool bigEndian, std::uint32_t sum[2]) {
  for (std::size_t i = 0; i + 8 <= size; i += 8) {
    const std::uint32_t a = bigEndian ? LoadBigU32(data + i) : LoadU32(data + i);
    const std::uint32_t b = bigEndian ? LoadBigU32(data + i + 4) : LoadU32(data + i + 4);
    sum[0] += a + sum[1];
    sum[1] += b + sum[0];
  }
}

// Applies the committed frames of `log` to `image` (pages of `pageSize`); false when the image
// would pass its bound.
bool ApplyLog(ReadableFile& log, std::size_t pageSize, std::vector<unsigned char>& image) {
  std::vector<unsigned char> header;
  if (log.Facts().size < kLogHeader || !ReadRange(log, 0, kLogHeader, header)) return true;
  const std::uint32_t magic = LoadBigU32(header.data());
  if ((magic & ~1u) != kLogMagic || PageSize(LoadBigU32(header.data() + 8)) != pageSize)
    return true;
  const bool bigEndian = (magic & 1) != 0;
  std::uint32_t sum[2] = {0, 0};
  Checksum(header.data(), 24, bigEndian, sum);
  if (sum[0] != LoadBigU32(header.data() + 24) || sum[1] != LoadBigU32(header.data() + 28))
    return true;
  // Pages are kept aside until their transaction's commit frame is seen.
  std::vector<std::pair<std::uint32_t, std::vector<unsigned char>>> pending;
  std::size_t pendingBytes = 0;
  std::vector<unsigned char> frame;
  for (std::uint64_t at = kLogHeader; at + kFrameHeader + pageSize <= log.Facts().size;
       at += kFrameHeader + pageSize) {
    if (!ReadRange(log, at, kFrameHeader + pageSize, frame) ||
        std::memcmp(frame.data() + 8, header.data() + 16, 8) != 0) {
      break;
    }
    Checksum(frame.data(), 8, bigEndian, sum);
    Checksum(frame.data() + kFrameHeader, pageSize, bigEndian, sum);
    const std::uint32_t page = LoadBigU32(frame.data());
    if (page == 0 || sum[0] != LoadBigU32(frame.data() + 16) ||
        sum[1] != LoadBigU32(frame.data() + 20)) {
      break;
    }
    pendingBytes += pageSize;
    if (pendingBytes > kMaxDatabaseImage) return false;
    pending.emplace_back(page,
                         std::vector<unsigned char>(frame.begin() + kFrameHeader, frame.end()));
    const std::uint32_t pages = LoadBigU32(frame.data() + 4);
    if (pages == 0) continue;
    if (pages > kMaxDatabaseImage / pageSize) return false;
    image.resize(pages * pageSize);
    for (const auto& [number, bytes] : pending) {
      if (number <= pages)
        std::memcpy(image.data() + (number - 1) * pageSize, bytes.data(), pageSize);
    }
    pending.clear();
    pendingBytes = 0;
  }
  return true;
}

// The page size the database's header names, else (a database whose pages are all in the log
// yet) the log's header.
std::size_t PageSizeOf(const std::vector<unsigned char>& image, ReadableFile* log) {
  std::vector<unsigned char> header;
  if (image.size() >= kDatabaseHeader) {
    return PageSize(static_cast<std::uint32_t>(image[16]) << 8 | image[17]);
  }
  if (!image.empty() || !log || !ReadRange(*log, 0, kLogHeader, header)) return 0;
  return PageSize(LoadBigU32(header.data() + 8));
}

}  // namespace

std::unique_ptr<ReadableFile> DatabaseWithLog(ReadableFile& database, ReadableFile* log) {
  const std::uint64_t size = database.Facts().size;
  std::vector<unsigned char> image;
  if (size > kMaxDatabaseImage || !ReadRange(database, 0, static_cast<std::size_t>(size), image)) {
    return nullptr;
  }
  const std::size_t pageSize = PageSizeOf(image, log);
  if (pageSize == 0 || (log && !ApplyLog(*log, pageSize, image)) ||
      image.size() < kDatabaseHeader || std::memcmp(image.data(), "SQLite format 3", 16) != 0) {
    return nullptr;
  }
  image[18] = 1;
  image[19] = 1;
  return std::make_unique<MemoryFile>(std::move(image), database.Facts().time);
}

}  // namespace murel

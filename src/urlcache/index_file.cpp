#include "urlcache/index_file.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace murel {
namespace {

// The file's first 0x4000 bytes are the header, the directory table and the allocation bitmap;
// records and HASH tables live in 128-byte blocks after it.
constexpr std::uint64_t kRecordArea = 0x4000;
constexpr std::uint64_t kBlockSize = 0x80;

constexpr std::uint64_t kSignatureFieldSize = 28;
constexpr std::uint64_t kFirstTableField = 0x20;
constexpr std::uint64_t kDirectoryCountField = 0x48;
constexpr std::uint64_t kDirectoryTable = 0x4C;
constexpr std::uint64_t kDirectoryEntrySize = 12;
constexpr std::uint64_t kDirectoryNameField = 4;
constexpr std::uint64_t kDirectoryNameLength = 8;
constexpr std::uint32_t kMaxDirectories = 32;
constexpr std::uint32_t kNoDirectory = 0xFE;

// A real file has a few tables; a chain longer than this is damage, whatever the numbers say.
constexpr std::size_t kMaxTables = 256;
constexpr std::uint64_t kTableSlots = 16;
constexpr std::uint64_t kSlotSize = 8;

constexpr std::uint32_t kKeyDeleted = 1;
constexpr std::uint32_t kKeyFree = 3;
constexpr std::uint32_t kFreeMarker = 0x0BADF00D;
constexpr std::uint32_t kAllocatedMarker = 0xDEADBEEF;

// Where a URL record keeps the fields the walk reads, as offsets from the record's start.
struct UrlRecordLayout {
  std::uint64_t urlOffset;
  std::uint64_t directoryIndex;
  std::uint64_t fileNameOffset;
  std::uint64_t headersOffset;
  std::uint64_t headersSize;
};

struct Version {
  const char* signature;
  UrlRecordLayout layout;
};

constexpr UrlRecordLayout kLayout52{52, 56, 60, 68, 72};
constexpr UrlRecordLayout kLayout47{56, 60, 64, 72, 76};
const std::array<Version, 4> kVersions{{
    {"Client UrlCache MMF Ver 5.2", kLayout52},
    {"Client UrlCache MMF Ver 4.7", kLayout47},
    {"WINE URLCache Ver 0.2012001", kLayout52},
    {"WINE URLCache Ver 0.2005001", kLayout52},
}};

// Reads from the file with every access checked against its end. Offsets are 64-bit so that
// sums of 32-bit fields cannot wrap around.
class FileBytes {
 public:
  explicit FileBytes(const std::vector<unsigned char>& data) : data_(data) {}

  std::uint64_t Size() const { return data_.size(); }

  std::optional<std::uint8_t> U8(std::uint64_t offset) const {
    if (offset >= Size()) return std::nullopt;
    return Byte(offset);
  }

  std::optional<std::uint32_t> U32(std::uint64_t offset) const {
    if (offset > Size() || Size() - offset < 4) return std::nullopt;
    return static_cast<std::uint32_t>(Byte(offset) | (Byte(offset + 1) << 8) |
                                      (Byte(offset + 2) << 16)) |
           (static_cast<std::uint32_t>(Byte(offset + 3)) << 24);
  }

  bool Matches(std::uint64_t offset, const char* text, std::uint64_t length) const {
    if (offset > Size() || Size() - offset < length) return false;
    return std::memcmp(data_.data() + static_cast<std::size_t>(offset), text,
                       static_cast<std::size_t>(length)) == 0;
  }

  // The NUL-terminated text that starts at `begin`; empty if its NUL is not before `end`.
  std::optional<std::string> Text(std::uint64_t begin, std::uint64_t end) const {
    for (std::uint64_t at = begin; at < end && at < Size(); ++at) {
      if (Byte(at) == 0) {
        return std::string(data_.begin() + static_cast<std::ptrdiff_t>(begin),
                           data_.begin() + static_cast<std::ptrdiff_t>(at));
      }
    }
    return std::nullopt;
  }

  // Up to `length` bytes at `offset`, cut at the first NUL.
  std::string FixedText(std::uint64_t offset, std::uint64_t length) const {
    std::string text;
    for (std::uint64_t at = offset; at < offset + length && at < Size() && Byte(at) != 0; ++at) {
      text.push_back(static_cast<char>(Byte(at)));
    }
    return text;
  }

 private:
  // The byte at `offset`, which the caller has checked to lie inside the file (so that it fits a
  // std::size_t on 32-bit builds too).
  unsigned char Byte(std::uint64_t offset) const { return data_[static_cast<std::size_t>(offset)]; }

  const std::vector<unsigned char>& data_;
};

// The signature field holds the version text and its NUL.
const Version* FindVersion(const FileBytes& bytes) {
  for (const Version& version : kVersions) {
    const std::uint64_t length = std::strlen(version.signature) + 1;
    if (length <= kSignatureFieldSize && bytes.Matches(0, version.signature, length)) {
      return &version;
    }
  }
  return nullptr;
}

// A block of the record area that lies inside the file.
bool IsBlockOffset(const FileBytes& bytes, std::uint64_t offset) {
  return offset >= kRecordArea && offset % kBlockSize == 0 && offset < bytes.Size();
}

// Deleted slots keep stale offsets and free or never-written slots hold markers; none of them
// names a record.
bool IsEntrySlot(const FileBytes& bytes, std::uint32_t key, std::uint32_t offset) {
  if (key == kKeyDeleted || key == kKeyFree || key == offset) return false;
  if (key == kFreeMarker || key == kAllocatedMarker) return false;
  if (offset == kFreeMarker || offset == kAllocatedMarker) return false;
  return IsBlockOffset(bytes, offset);
}

// The end of the blocks that start at `offset`, if the block count is positive and they lie
// inside the file.
std::optional<std::uint64_t> BlocksEnd(const FileBytes& bytes, std::uint64_t offset) {
  const std::optional<std::uint32_t> blocks = bytes.U32(offset + 4);
  if (!blocks || *blocks == 0) return std::nullopt;
  const std::uint64_t end = offset + std::uint64_t{*blocks} * kBlockSize;
  if (end > bytes.Size()) return std::nullopt;
  return end;
}

class IndexReader {
 public:
  IndexReader(const FileBytes& bytes, const Version& version, std::string cacheFolder)
      : bytes_(bytes), layout_(version.layout), cacheFolder_(std::move(cacheFolder)) {
    ReadDirectories();
  }

  // Walks the table chain. The sequence numbers must run 0, 1, 2, ... along it, which also ends
  // every loop: a table met again carries a number already passed.
  std::vector<IndexEntry> ReadEntries() const {
    std::vector<IndexEntry> entries;
    std::optional<std::uint32_t> table = bytes_.U32(kFirstTableField);
    for (std::uint32_t sequence = 0; table && *table != 0 && sequence < kMaxTables; ++sequence) {
      const std::optional<std::uint64_t> end = TableEnd(*table, sequence);
      if (!end) break;
      ReadTable(*table, *end, entries);
      table = bytes_.U32(std::uint64_t{*table} + 8);
    }
    return entries;
  }

 private:
  void ReadDirectories() {
    const std::uint32_t count =
        std::min(bytes_.U32(kDirectoryCountField).value_or(0), kMaxDirectories);
    for (std::uint32_t i = 0; i < count; ++i) {
      directories_.push_back(bytes_.FixedText(
          kDirectoryTable + i * kDirectoryEntrySize + kDirectoryNameField, kDirectoryNameLength));
    }
  }

  std::optional<std::uint64_t> TableEnd(std::uint64_t table, std::uint32_t sequence) const {
    if (!IsBlockOffset(bytes_, table) || !bytes_.Matches(table, "HASH", 4)) return std::nullopt;
    if (bytes_.U32(table + 12) != sequence) return std::nullopt;
    return BlocksEnd(bytes_, table);
  }

  void ReadTable(std::uint64_t table, std::uint64_t end, std::vector<IndexEntry>& entries) const {
    for (std::uint64_t slot = table + kTableSlots; slot + kSlotSize <= end; slot += kSlotSize) {
      const std::uint32_t key = *bytes_.U32(slot);
      const std::uint32_t offset = *bytes_.U32(slot + 4);
      if (!IsEntrySlot(bytes_, key, offset)) continue;
      if (std::optional<IndexEntry> entry = ReadUrlRecord(offset)) {
        entries.push_back(std::move(*entry));
      }
    }
  }

  // Any field that points outside the record makes the record damaged, except the headers: they
  // only add to the record size, so headers outside the record count as none.
  std::optional<IndexEntry> ReadUrlRecord(std::uint64_t record) const {
    if (!bytes_.Matches(record, "URL ", 4)) return std::nullopt;
    const std::optional<std::uint64_t> end = BlocksEnd(bytes_, record);
    if (!end) return std::nullopt;
    std::optional<std::string> url = RecordText(record, *end, layout_.urlOffset);
    if (!url) return std::nullopt;
    IndexEntry entry;
    entry.url = std::move(*url);
    const std::uint32_t nameOffset = *bytes_.U32(record + layout_.fileNameOffset);
    if (nameOffset != 0) {
      const std::optional<std::string> name = RecordText(record, *end, layout_.fileNameOffset);
      if (!name) return std::nullopt;
      entry.localFile = LocalFile(*bytes_.U8(record + layout_.directoryIndex), *name);
    }
    entry.recordSize = RecordSize(entry, HeadersSize(record, *end));
    return entry;
  }

  // The text whose offset from the record's start is stored at `field`.
  std::optional<std::string> RecordText(std::uint64_t record, std::uint64_t end,
                                        std::uint64_t field) const {
    return bytes_.Text(record + *bytes_.U32(record + field), end);
  }

  std::string LocalFile(std::uint8_t directory, const std::string& name) const {
    if (directory == kNoDirectory) return cacheFolder_ + "\\" + name;
    if (directory >= directories_.size()) return std::string();
    return cacheFolder_ + "\\" + directories_[directory] + "\\" + name;
  }

  std::uint64_t HeadersSize(std::uint64_t record, std::uint64_t end) const {
    const std::uint64_t offset = *bytes_.U32(record + layout_.headersOffset);
    const std::uint64_t size = *bytes_.U32(record + layout_.headersSize);
    if (offset == 0 || size == 0 || record + offset + size > end) return 0;
    return size;
  }

  static std::uint32_t RecordSize(const IndexEntry& entry, std::uint64_t headersSize) {
    // Every part is bounded by the file, which a 32-bit offset field can span; the sum of the
    // texts can pass 32 bits only for a file of gigabytes, so it is capped rather than wrapped.
    std::uint64_t size = kEntryRecordFixedSize + entry.url.size() + 1;
    if (!entry.localFile.empty()) size += entry.localFile.size() + 1;
    if (headersSize != 0) size += headersSize + 1;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(size, UINT32_MAX));
  }

  const FileBytes& bytes_;
  UrlRecordLayout layout_;
  std::string cacheFolder_;
  std::vector<std::string> directories_;
};

}  // namespace

std::optional<std::vector<IndexEntry>> ReadIndexFile(const std::vector<unsigned char>& file,
                                                     const std::string& cacheFolder) {
  const FileBytes bytes(file);
  const Version* version = FindVersion(bytes);
  if (version == nullptr || bytes.Size() < kRecordArea) return std::nullopt;
  return IndexReader(bytes, *version, cacheFolder).ReadEntries();
}

}  // namespace murel

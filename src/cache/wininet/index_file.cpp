#include "cache/wininet/index_file.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "cache/core/cache_folder.h"

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
    const std::uint64_t stop = std::min(end, Size());
    if (begin >= stop) return std::nullopt;
    const char* const first =
        reinterpret_cast<const char*>(data_.data()) + static_cast<std::size_t>(begin);
    const void* const nul = std::memchr(first, 0, static_cast<std::size_t>(stop - begin));
    if (nul == nullptr) return std::nullopt;
    return std::string(first, static_cast<const char*>(nul));
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
std::optional<std::size_t> FindVersion(const FileBytes& bytes) {
  for (std::size_t i = 0; i < kVersions.size(); ++i) {
    const std::uint64_t length = std::strlen(kVersions[i].signature) + 1;
    if (length <= kSignatureFieldSize && bytes.Matches(0, kVersions[i].signature, length)) {
      return i;
    }
  }
  return std::nullopt;
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

// The end of the table at `table`, if it is the table with this sequence number.
std::optional<std::uint64_t> TableEnd(const FileBytes& bytes, std::uint64_t table,
                                      std::uint32_t sequence) {
  if (!IsBlockOffset(bytes, table) || !bytes.Matches(table, "HASH", 4)) return std::nullopt;
  if (bytes.U32(table + 12) != sequence) return std::nullopt;
  return BlocksEnd(bytes, table);
}

std::uint32_t RecordSize(const IndexEntry& entry, std::uint64_t headersSize) {
  // Every part is bounded by the file; the sum can pass 32 bits only for a file of gigabytes,
  // so it is capped rather than wrapped.
  std::uint64_t size = kEntryRecordFixedSize + entry.url.size() + 1;
  if (!entry.localFile.empty()) size += entry.localFile.size() + 1;
  if (headersSize != 0) size += headersSize + 1;
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(size, UINT32_MAX));
}

}  // namespace

IndexFile::IndexFile(std::vector<unsigned char> file, std::string cacheFolder, std::size_t version)
    : file_(std::move(file)), cacheFolder_(std::move(cacheFolder)), version_(version) {
  ReadDirectories();
  ReadTableChain();
}

std::optional<IndexFile> IndexFile::Open(std::vector<unsigned char> file, std::string cacheFolder) {
  const std::optional<std::size_t> version = FindVersion(FileBytes(file));
  if (!version || file.size() < kRecordArea) return std::nullopt;
  return IndexFile(std::move(file), std::move(cacheFolder), *version);
}

void IndexFile::ReadDirectories() {
  const FileBytes bytes(file_);
  const std::uint32_t count =
      std::min(bytes.U32(kDirectoryCountField).value_or(0), kMaxDirectories);
  for (std::uint32_t i = 0; i < count; ++i) {
    directories_.push_back(bytes.FixedText(
        kDirectoryTable + i * kDirectoryEntrySize + kDirectoryNameField, kDirectoryNameLength));
  }
}

// The sequence numbers must run 0, 1, 2, ... along the chain, which also ends every loop: a
// table met again carries a number already passed.
//
// Tables of an intact file do not overlap, so all of them together hold at most a slot per 8
// bytes of the file. Damaged tables that claim to overlap are read no further than that, which
// keeps the walk linear in the file's size.
void IndexFile::ReadTableChain() {
  const FileBytes bytes(file_);
  std::uint64_t slotBudget = bytes.Size() / kSlotSize;
  std::optional<std::uint32_t> table = bytes.U32(kFirstTableField);
  for (std::uint32_t sequence = 0; table && *table != 0 && sequence < kMaxTables; ++sequence) {
    const std::optional<std::uint64_t> end = TableEnd(bytes, *table, sequence);
    if (!end) break;
    for (std::uint64_t slot = *table + kTableSlots; slot + kSlotSize <= *end && slotBudget > 0;
         slot += kSlotSize, --slotBudget) {
      const std::uint32_t key = *bytes.U32(slot);
      const std::uint32_t offset = *bytes.U32(slot + 4);
      if (IsEntrySlot(bytes, key, offset)) records_.push_back(offset);
    }
    table = bytes.U32(std::uint64_t{*table} + 8);
  }
}

// Any field that points outside the record makes the record damaged, except the headers: they
// only add to the record size, so headers outside the record count as none.
std::optional<IndexEntry> IndexFile::ReadUrlRecord(std::uint32_t offset) const {
  const FileBytes bytes(file_);
  const UrlRecordLayout& layout = kVersions[version_].layout;
  const std::uint64_t record = offset;
  if (!bytes.Matches(record, "URL ", 4)) return std::nullopt;
  const std::optional<std::uint64_t> end = BlocksEnd(bytes, record);
  if (!end) return std::nullopt;
  // A record has at least one block, so every fixed field lies inside it.
  std::optional<std::string> url = bytes.Text(record + *bytes.U32(record + layout.urlOffset), *end);
  if (!url) return std::nullopt;
  IndexEntry entry;
  entry.url = std::move(*url);
  const std::uint32_t nameOffset = *bytes.U32(record + layout.fileNameOffset);
  if (nameOffset != 0) {
    const std::optional<std::string> name = bytes.Text(record + nameOffset, *end);
    if (!name) return std::nullopt;
    const std::uint8_t directory = *bytes.U8(record + layout.directoryIndex);
    entry.localFile = LocalFile(directory, *name);
    entry.plainNames = HasPlainNames(directory, *name);
  }
  const std::uint64_t headersOffset = *bytes.U32(record + layout.headersOffset);
  const std::uint64_t headersSize = *bytes.U32(record + layout.headersSize);
  const bool headersInside =
      headersOffset != 0 && headersSize != 0 && record + headersOffset + headersSize <= *end;
  entry.recordSize = RecordSize(entry, headersInside ? headersSize : 0);
  if (headersInside) {
    // Some blocks end at their stated size without a NUL; others have one before it.
    const auto* start = reinterpret_cast<const char*>(file_.data() + record + headersOffset);
    entry.headers.assign(start, static_cast<std::size_t>(headersSize));
    entry.headers.resize(std::min(entry.headers.size(), entry.headers.find('\0')));
  }
  return entry;
}

std::string IndexFile::LocalFile(std::uint8_t directory, const std::string& name) const {
  if (directory == kNoDirectory) return cacheFolder_ + "\\" + name;
  if (directory >= directories_.size()) return std::string();
  return cacheFolder_ + "\\" + directories_[directory] + "\\" + name;
}

bool IndexFile::HasPlainNames(std::uint8_t directory, const std::string& name) const {
  if (!IsPlainName(name)) return false;
  return directory == kNoDirectory || directory >= directories_.size() ||
         IsPlainName(directories_[directory]);
}

}  // namespace murel

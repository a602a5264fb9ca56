#include "cache/chromium/chromium_simple_reader.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "cache/chromium/chromium_checksum.h"
#include "cache/chromium/chromium_entry.h"
#include "cache/core/entry_file_walk.h"
#include "cache/core/file_range.h"
#include "cache/core/little_endian.h"

namespace murel {
namespace {

constexpr std::uint64_t kInitialMagic = 0xFCFB6D1BA7725C30ull;
constexpr std::uint64_t kFinalMagic = 0xF4FA6F45970D41D8ull;
constexpr std::uint32_t kEntryVersion = 5;
constexpr std::uint32_t kHasCrc32 = 1;
constexpr std::uint32_t kHasKeySha256 = 2;
constexpr std::size_t kKeySha256Size = 32;
// The header and end records: 24 bytes where the ABI pads them, 20 on i386.
constexpr std::size_t kPaddedRecord = 24;
constexpr std::size_t kPackedRecord = 20;

// "<16 lower-case hex digits>_0".
bool IsEntryFileName(const std::string& name) {
  if (name.size() != 18 || name.compare(16, 2, "_0") != 0) return false;
  return std::all_of(name.begin(), name.begin() + 16,
                     [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

// One "_0" file, read from both ends.
class EntryFile {
 public:
  explicit EntryFile(ReadableFile& file) : file_(file), size_(file.Facts().size) {}

  // The header and the key; tells the record size by the key hash matching at 24 or at 20.
  bool ReadKey() {
    std::vector<unsigned char> head;
    if (!ReadRange(file_, 0,
                   static_cast<std::size_t>(std::min<std::uint64_t>(size_, kPaddedRecord)), head) ||
        head.size() < kPackedRecord || LoadU64(head.data()) != kInitialMagic ||
        LoadU32(head.data() + 8) != kEntryVersion) {
      return false;
    }
    const std::uint32_t keySize = LoadU32(head.data() + 12);
    const std::uint32_t keyHash = LoadU32(head.data() + 16);
    if (keySize == 0 || keySize > kMaxKeySize) return false;
    for (const std::size_t record : {kPaddedRecord, kPackedRecord}) {
      if (ReadRange(file_, record, keySize, key_) &&
          SuperFastHash(key_.data(), key_.size()) == keyHash) {
        record_ = record;
        return true;
      }
    }
    return false;
  }

  // The last end record, stream 0 and the end record of stream 1; false if the file was never
  // closed or its parts do not fit it.
  bool ReadResponseInfo() {
    std::vector<unsigned char> end;
    const std::uint64_t keyEnd = record_ + key_.size();
    if (size_ < keyEnd + 2 * record_ || !ReadRange(file_, size_ - record_, record_, end) ||
        LoadU64(end.data()) != kFinalMagic) {
      return false;
    }
    const std::uint32_t flags = LoadU32(end.data() + 8);
    const std::uint32_t infoSize = LoadU32(end.data() + 16);
    const std::uint64_t sha = (flags & kHasKeySha256) != 0 ? kKeySha256Size : 0;
    if (infoSize > kMaxResponseInfoSize || size_ - keyEnd - 2 * record_ < infoSize + sha)
      return false;
    bodyEnd_ = size_ - 2 * record_ - sha - infoSize;
    std::vector<unsigned char> middle;
    if (!ReadRange(file_, bodyEnd_, record_ + infoSize, middle) ||
        LoadU64(middle.data()) != kFinalMagic) {
      return false;
    }
    info_.assign(middle.begin() + static_cast<std::ptrdiff_t>(record_), middle.end());
    if ((LoadU32(middle.data() + 8) & kHasCrc32) != 0) bodyCrc_ = LoadU32(middle.data() + 12);
    return (flags & kHasCrc32) == 0 ||
           Crc32(info_.data(), info_.size()) == LoadU32(end.data() + 12);
  }

  // Whether the body matches the CRC-32 that its end record holds, if it holds one (Chromium
  // leaves it out when the body was not written in one pass).
  bool BodyMatches() const {
    if (!bodyCrc_) return true;
    std::uint32_t crc = 0;
    return ReadInPieces(file_, BodyOffset(), BodySize(),
                        [&crc](const unsigned char* data, std::size_t size) {
                          crc = Crc32(data, size, crc);
                          return true;
                        }) &&
           crc == *bodyCrc_;
  }

  std::string_view Key() const { return {reinterpret_cast<const char*>(key_.data()), key_.size()}; }
  const std::vector<unsigned char>& Info() const { return info_; }
  std::uint64_t BodyOffset() const { return record_ + key_.size(); }
  std::uint64_t BodySize() const { return bodyEnd_ - BodyOffset(); }

 private:
  ReadableFile& file_;
  std::uint64_t size_;
  std::size_t record_ = kPaddedRecord;
  std::vector<unsigned char> key_;
  std::vector<unsigned char> info_;
  std::uint64_t bodyEnd_ = 0;
  std::optional<std::uint32_t> bodyCrc_;  ///< From the body's end record, when it has one.
};

// Reads one open "_0" file into `entry`; false for a file that is damaged, never closed or not
// exported.
bool ReadEntryFile(ReadableFile& file, const std::string& path, CacheEntry& entry) {
  EntryFile parts(file);
  if (!parts.ReadKey() || !parts.ReadResponseInfo()) return false;
  StoredBody body;
  body.file = path;
  body.offset = parts.BodyOffset();
  body.size = parts.BodySize();
  // The body is checked last, and only for an entry that is exported: it is most of the file.
  return ToExportedEntry(parts.Key(), parts.Info().data(), parts.Info().size(), std::move(body),
                         entry) &&
         parts.BodyMatches();
}

}  // namespace

std::unique_ptr<CacheReader> OpenChromiumSimpleReader(Platform& platform, const std::string& folder,
                                                      std::shared_ptr<OpenedFolder> opened,
                                                      EntryMemo* memo) {
  return WalkEntryFiles(platform, folder, std::move(opened), &IsEntryFileName, &ReadEntryFile,
                        memo);
}

}  // namespace murel

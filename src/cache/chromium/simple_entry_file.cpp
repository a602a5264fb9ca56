#include "cache/chromium/simple_entry_file.h"

#include <algorithm>

#include "base/ascii.h"
#include "cache/chromium/chromium_checksum.h"
#include "cache/chromium/chromium_entry.h"
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

}  // namespace

bool IsSimpleEntryFileName(std::string_view name) {
  if (name.size() != 18 || name.compare(16, 2, "_0") != 0) return false;
  return IsHexDigits(name.substr(0, 16), false);
}

bool SimpleEntryFile::ReadKey() {
  std::vector<unsigned char> head;
  if (!ReadRange(file_, 0, static_cast<std::size_t>(std::min<std::uint64_t>(size_, kPaddedRecord)),
                 head) ||
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

bool SimpleEntryFile::ReadStream0() {
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
  stream0_.assign(middle.begin() + static_cast<std::ptrdiff_t>(record_), middle.end());
  if ((LoadU32(middle.data() + 8) & kHasCrc32) != 0) bodyCrc_ = LoadU32(middle.data() + 12);
  return (flags & kHasCrc32) == 0 ||
         Crc32(stream0_.data(), stream0_.size()) == LoadU32(end.data() + 12);
}

bool SimpleEntryFile::BodyMatches() const {
  if (!bodyCrc_) return true;
  std::uint32_t crc = 0;
  return ReadInPieces(file_, BodyOffset(), BodySize(),
                      [&crc](const unsigned char* data, std::size_t size) {
                        crc = Crc32(data, size, crc);
                        return true;
                      }) &&
         crc == *bodyCrc_;
}

}  // namespace murel

#include "cache/chromium/chromium_blockfile_reader.h"

#include <unordered_set>
#include <utility>
#include <vector>

#include "cache/chromium/block_files.h"
#include "cache/chromium/chromium_checksum.h"
#include "cache/chromium/chromium_entry.h"
#include "cache/core/file_range.h"
#include "cache/core/little_endian.h"

namespace murel {
namespace {

constexpr std::uint32_t kIndexMagic = 0xC103CAC3u;
constexpr std::size_t kIndexHeaderSize = 368;
constexpr std::uint32_t kDefaultTableLength = 0x10000;
// Real tables have 64 Ki buckets, 512 Ki on large disks; more is damage.
constexpr std::uint32_t kMaxTableLength = 1u << 22;
constexpr std::size_t kKeyOffset = 96;
constexpr std::size_t kRankingsSize = 36;
constexpr int kRankingsType = 1;
constexpr int kEntryType = 2;

bool IsIndexVersion(std::uint32_t version) {
  return version == 0x20000 || version == 0x20001 || version == 0x30000;
}

// The parts of one 256-byte entry record (and the blocks its key runs on into).
struct EntryRecord {
  std::vector<unsigned char> bytes;

  std::uint32_t Field(std::size_t offset) const { return LoadU32(bytes.data() + offset); }
  std::uint32_t KeyHash() const { return Field(0); }
  std::uint32_t NextInBucket() const { return Field(4); }
  std::uint32_t Rankings() const { return Field(8); }
  std::uint32_t State() const { return Field(20); }
  std::uint32_t KeySize() const { return Field(32); }
  std::uint32_t LongKey() const { return Field(36); }
  std::uint32_t StreamSize(int stream) const {
    return Field(40 + 4 * static_cast<std::size_t>(stream));
  }
  std::uint32_t StreamAddress(int stream) const {
    return Field(56 + 4 * static_cast<std::size_t>(stream));
  }
  std::uint32_t Flags() const { return Field(72); }
  bool SelfHashMatches() const {
    return Field(92) == 0 || Field(92) == SuperFastHash(bytes.data(), 92);
  }
};

class BlockfileReader : public CacheReader {
 public:
  BlockfileReader(const std::string& folder, std::shared_ptr<OpenedFolder> opened,
                  std::vector<unsigned char> table)
      : files_(folder, std::move(opened)), table_(std::move(table)) {}

  bool Next(CacheEntry& entry) override {
    for (;;) {
      if (chain_ == 0) {
        if (bucket_ >= table_.size() / 4) return false;
        chain_ = LoadU32(table_.data() + 4 * bucket_++);
        continue;
      }
      const std::uint32_t address = chain_;
      chain_ = 0;
      // A chain that returns to a record seen before ends there.
      if (!visited_.insert(address).second) continue;
      EntryRecord record;
      if (!ReadRecord(address, record)) {
        ++passedOver_;
        continue;
      }
      chain_ = record.NextInBucket();
      if (ToEntry(address, record, entry)) return true;
      ++passedOver_;
    }
  }

  std::uint64_t PassedOver() const override { return passedOver_; }

 private:
  // The record at `address`: all of its blocks, its own checksum right, none of them taken by
  // another record.
  bool ReadRecord(std::uint32_t address, EntryRecord& record) {
    const std::optional<BlockPlace> place = files_.Locate(address, kEntryType);
    return place && Claim(address) &&
           files_.Read(address, static_cast<std::size_t>(place->length), record.bytes,
                       kEntryType) &&
           record.SelfHashMatches();
  }

  // The key: inline in the record's blocks, or at its long-key address; its hash right.
  bool ReadKey(const EntryRecord& record, std::vector<unsigned char>& key) {
    const std::uint32_t size = record.KeySize();
    if (size == 0 || size > kMaxKeySize) return false;
    if (record.LongKey() != 0) {
      if (!files_.Read(record.LongKey(), size, key)) return false;
    } else {
      if (size > record.bytes.size() - kKeyOffset) return false;
      key.assign(record.bytes.begin() + kKeyOffset,
                 record.bytes.begin() + static_cast<std::ptrdiff_t>(kKeyOffset + size));
    }
    return SuperFastHash(key.data(), key.size()) == record.KeyHash();
  }

  // The rankings node must point back to the record and show it closed (dirty 0).
  bool ClosedCleanly(std::uint32_t address, const EntryRecord& record) {
    std::vector<unsigned char> node;
    if (!files_.Read(record.Rankings(), kRankingsSize, node, kRankingsType)) return false;
    const std::uint32_t selfHash = LoadU32(node.data() + 32);
    return LoadU32(node.data() + 24) == address && LoadU32(node.data() + 28) == 0 &&
           (selfHash == 0 || selfHash == SuperFastHash(node.data(), 32));
  }

  // The body (stream 1): a range of a block file or a whole external file.
  std::optional<StoredBody> BodyOf(const EntryRecord& record) {
    StoredBody body;
    body.size = record.StreamSize(1);
    // An empty body has no address: it is named by the file of the response info.
    const std::uint32_t address = record.StreamAddress(body.size == 0 ? 0 : 1);
    const std::optional<BlockPlace> place = files_.Locate(address);
    if (!place || body.size > place->length) return std::nullopt;
    body.file = place->file;
    body.open = files_.Opener(address, *place);
    if (body.size != 0) body.offset = place->offset;
    return body;
  }

  // Takes the blocks (or the external file) that `address` names for one record. False when
  // an earlier record has taken any of them: in a real cache no two records share a place, and
  // a crafted one that points many records at one long key or body would have it read (and
  // hashed, or exported) again for each, at a cost out of all proportion to the cache's size.
  // Each place is thus read at most once a run. A null address takes nothing.
  bool Claim(std::uint32_t address) {
    if ((address & 0x80000000u) == 0) return true;
    const bool block = ((address >> 28) & 7) != 0;
    // A block run is taken block by block, so that overlapping runs are told apart too.
    const std::uint32_t first = block ? address & 0xFCFFFFFFu : address;
    const std::uint32_t count = block ? ((address >> 24) & 3) + 1 : 1;
    for (std::uint32_t i = 0; i < count; ++i) {
      if (claimed_.count(first + i) != 0) return false;
    }
    for (std::uint32_t i = 0; i < count; ++i) claimed_.insert(first + i);
    return true;
  }

  // Claims every place that the record reads beside itself: its rankings node, long key and
  // streams.
  bool ClaimPlaces(const EntryRecord& record) {
    return Claim(record.Rankings()) && Claim(record.LongKey()) && Claim(record.StreamAddress(0)) &&
           Claim(record.StreamAddress(1));
  }

  bool ToEntry(std::uint32_t address, const EntryRecord& record, CacheEntry& entry) {
    // State 0 is a live entry; flag 2 marks a piece of a range (sparse) entry.
    if (record.State() != 0 || (record.Flags() & 2) != 0) return false;
    const std::uint32_t infoSize = record.StreamSize(0);
    std::vector<unsigned char> key;
    std::vector<unsigned char> info;
    if (infoSize == 0 || infoSize > kMaxResponseInfoSize || !ClaimPlaces(record) ||
        !ReadKey(record, key) || !ClosedCleanly(address, record) ||
        !files_.Read(record.StreamAddress(0), infoSize, info)) {
      return false;
    }
    std::optional<StoredBody> body = BodyOf(record);
    if (!body) return false;
    const std::string_view keyText(reinterpret_cast<const char*>(key.data()), key.size());
    return ToExportedEntry(keyText, info.data(), info.size(), std::move(*body), entry);
  }

  BlockFiles files_;
  std::vector<unsigned char> table_;
  std::size_t bucket_ = 0;
  std::uint32_t chain_ = 0;
  std::unordered_set<std::uint32_t> visited_;
  /// The places taken by the records read so far: one key per block of a block file, the
  /// address itself for an external file.
  std::unordered_set<std::uint32_t> claimed_;
  std::uint64_t passedOver_ = 0;
};

}  // namespace

std::unique_ptr<CacheReader> OpenChromiumBlockfileReader(const std::string& folder,
                                                         std::shared_ptr<OpenedFolder> opened) {
  const std::unique_ptr<ReadableFile> index = opened->OpenName("index");
  std::vector<unsigned char> header;
  if (!index || !ReadRange(*index, 0, kIndexHeaderSize, header) ||
      LoadU32(header.data()) != kIndexMagic || !IsIndexVersion(LoadU32(header.data() + 4))) {
    return nullptr;
  }
  std::uint32_t length = LoadU32(header.data() + 28);
  if (length == 0) length = kDefaultTableLength;
  std::vector<unsigned char> table;
  if (length > kMaxTableLength ||
      !ReadRange(*index, kIndexHeaderSize, std::size_t{length} * 4, table)) {
    return nullptr;
  }
  return std::make_unique<BlockfileReader>(folder, std::move(opened), std::move(table));
}

}  // namespace murel

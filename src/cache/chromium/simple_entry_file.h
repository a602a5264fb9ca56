// One entry file ("<16 hex>_0") of Chromium's simple disk cache, the format of both its HTTP
// cache and its CacheStorage caches.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace murel {

/// True for an entry file's name: 16 lower-case hex digits and "_0".
bool IsSimpleEntryFileName(std::string_view name);

/// The parts of one open "_0" file: a header and the key, stream 1 (the body), an end record,
/// stream 0, the key's SHA-256 when flagged and a last end record. Both the 24-byte records of
/// today and the 20-byte ones of old 32-bit builds are read. The file must outlive this.
class SimpleEntryFile {
 public:
  explicit SimpleEntryFile(ReadableFile& file) : file_(file), size_(file.Facts().size) {}

  /// Reads the header and the key; false when the magic or version is wrong, or the key does
  /// not match the hash the header keeps (the record size is told by where it matches).
  bool ReadKey();
  /// After ReadKey: reads the last end record, stream 0 (at most kMaxResponseInfoSize bytes) and
  /// the end record of stream 1; false when the file was never closed, its parts do not fit it,
  /// or stream 0 does not match the CRC-32 its end record keeps.
  bool ReadStream0();
  /// Whether the body matches the CRC-32 that its end record holds, if it holds one (Chromium
  /// leaves it out when the body was not written in one pass). Reads the whole body.
  bool BodyMatches() const;

  std::string_view Key() const { return {reinterpret_cast<const char*>(key_.data()), key_.size()}; }
  const std::vector<unsigned char>& Stream0() const { return stream0_; }
  std::uint64_t BodyOffset() const { return record_ + key_.size(); }
  std::uint64_t BodySize() const { return bodyEnd_ - BodyOffset(); }

 private:
  ReadableFile& file_;
  std::uint64_t size_;
  std::size_t record_ = 24;
  std::vector<unsigned char> key_;
  std::vector<unsigned char> stream0_;
  std::uint64_t bodyEnd_ = 0;
  std::optional<std::uint32_t> bodyCrc_;  ///< From the body's end record, when it has one.
};

}  // namespace murel

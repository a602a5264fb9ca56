// Builds synthetic index.dat files for the reader's tests and the fuzz corpus.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace murel {

/// An index.dat file under construction: header, directory table, HASH tables and records,
/// allocated block by block after the header. Offsets returned are from the start of the file.
class IndexDatWriter {
 public:
  enum class Version { k52, k47, kWine2012, kWine2005 };

  /// The directory index of entries kept in the cache folder itself.
  static constexpr std::uint8_t kNoDirectory = 0xFE;

  /// An empty file of `version` with no directories and no tables.
  explicit IndexDatWriter(Version version = Version::k52);

  /// Adds a cache directory (8 characters) and returns its index.
  std::uint8_t AddDirectory(const std::string& name);

  /// Adds a HASH table at the end of the chain, all slots free, and returns its offset.
  std::uint32_t AddTable();

  /// Writes a "URL " record and returns its offset. An empty `fileName` leaves the file-name
  /// offset 0 (no local file); empty `headers` leave the header fields 0.
  std::uint32_t AddUrlRecord(const std::string& url, const std::string& fileName,
                             std::uint8_t directory, const std::string& headers = "");

  /// Writes a record of `blocks` blocks with another signature ("REDR", "LEAK", ...).
  std::uint32_t AddRecord(const std::string& signature, std::uint32_t blocks = 1);

  /// Sets slot `slot` of the table at `table` to (key, offset).
  void SetSlot(std::uint32_t table, std::size_t slot, std::uint32_t key, std::uint32_t offset);

  /// Writes a URL record and points the next unused slot of the last table at it (a key unlike
  /// any offset, flags 0). Returns the record's offset.
  std::uint32_t AddUrl(const std::string& url, const std::string& fileName = "",
                       std::uint8_t directory = kNoDirectory);

  /// Overwrites 4 bytes (little-endian) at `offset`, growing nothing.
  void Put32(std::uint32_t offset, std::uint32_t value);

  /// Where a URL record field lies in this version (offsets from the record's start).
  std::uint32_t UrlOffsetField() const;
  std::uint32_t FileNameOffsetField() const;
  std::uint32_t DirectoryField() const;
  std::uint32_t HeadersOffsetField() const;

  /// The file as built, with its size, capacity and block count set in the header.
  std::vector<unsigned char> Bytes() const;

 private:
  std::uint32_t Allocate(std::uint32_t blocks);
  void PutText(std::uint32_t offset, const std::string& text);

  Version version_;
  std::vector<unsigned char> data_;
  std::vector<std::uint32_t> tables_;
  std::size_t nextSlot_ = 0;
  std::uint32_t directories_ = 0;
};

}  // namespace murel

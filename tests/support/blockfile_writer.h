// Chromium blockfile caches made by test code: an index, block files and external files, with
// every checksum and back pointer right unless a test chooses otherwise, so that crafted and
// damaged shapes can be built from sound ones.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace murel {

/// A blockfile cache in memory. Entry records go to 256-byte blocks, rankings nodes to 36-byte
/// blocks, streams up to 1 KiB to 256-byte blocks and larger ones to external files; a block
/// file that fills up continues in the next free file number.
class BlockfileWriter {
 public:
  /// The record of an entry, to be put in the index by AddEntry.
  struct Entry {
    std::string key;                ///< The cache key (a bare URL is one).
    std::string body;               ///< Stream 1.
    std::uint32_t longKey = 0;      ///< A long-key address; 0 keeps the key in the record.
    std::uint32_t bodyAddress = 0;  ///< Stream 1's address; 0 stores `body` anew.
  };

  /// Adds `entry` with a 200 response, at the head of its bucket's chain. Its record address.
  std::uint32_t AddEntry(const Entry& entry);
  /// Stores `bytes` (with a trailing NUL, as Chromium stores long keys) in a new external file.
  /// Its address.
  std::uint32_t AddExternal(const std::string& bytes);
  /// The files, by name: "index", "data_N", "f_xxxxxx".
  std::map<std::string, std::string> Files() const;

 private:
  std::uint32_t Allocate(int type);
  std::uint32_t Store(const std::string& bytes);
  void Put(std::uint32_t address, const std::string& bytes);

  std::map<int, std::vector<unsigned char>> blocks_;  ///< Block files by number.
  std::map<int, int> current_;                        ///< File type -> file number in use.
  std::map<std::string, std::string> external_;
  std::vector<std::uint32_t> table_ = std::vector<std::uint32_t>(64);
  int nextFile_ = 4;
};

}  // namespace murel

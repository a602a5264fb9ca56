// The URL entries of an index.dat file, decoded from the whole file held in memory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace murel {

/// One URL entry of an index.dat file, as the cache service's walk delivers it.
struct IndexEntry {
  std::string url;
  std::string localFile;         ///< Full path of the local file; empty when there is none.
  std::uint32_t recordSize = 0;  ///< Bytes the walk's entry record needs for this entry.
};

/// The fixed part of an entry record as counted by `IndexEntry::recordSize`: the size of the
/// cache service's entry structure on 32-bit Windows. The texts that follow it are counted with
/// their NULs: the URL, the local file (when there is one) and the HTTP headers (when they lie
/// inside the record).
constexpr std::uint32_t kEntryRecordFixedSize = 80;

/// Decodes the "URL " records of `file` (a whole index.dat) in the order the cache service walks
/// them: HASH tables in chain order, slots in ascending order. Local files are
/// cacheFolder + "\" + directory + "\" + file name, or cacheFolder + "\" + file name for entries
/// kept outside the directories. Records that are damaged (any offset, size or text outside the
/// file or the record) are passed over; a table chain that loops or breaks ends the walk. Empty
/// if `file` does not start with the header of a known version.
std::optional<std::vector<IndexEntry>> ReadIndexFile(const std::vector<unsigned char>& file,
                                                     const std::string& cacheFolder);

}  // namespace murel

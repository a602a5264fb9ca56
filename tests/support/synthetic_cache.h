// Synthetic URL caches of any size for the benchmark and the tests: an index.dat and its content
// files, made from a seed so that the same seed always gives the same cache.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "support/index_dat_writer.h"

namespace murel {

/// One entry of a synthetic cache: its URL and where its content lies in the cache folder.
struct SyntheticEntry {
  std::string url;
  std::string directory;  ///< One of the cache directories (8 characters).
  std::string fileName;   ///< The content file's name in that directory, "name[n].ext".
  std::size_t size = 0;   ///< The content file's size in bytes.
};

/// `count` entries shaped like a browser's cache, the same for the same `seed`: a few hundred hosts
/// (some with a port), paths one to six levels deep, some query strings, some pages whose URL is
/// also a directory of other entries, some URLs ending in "/". URLs are unique. Sizes are mostly a
/// few kilobytes, some tens, a few hundreds. Spread over 8 cache directories, names unique in each.
std::vector<SyntheticEntry> PlanSyntheticCache(std::size_t count, std::uint64_t seed);

/// The index.dat of `entries` in `version`: the 8 directories, as many HASH tables as the entries
/// need (448 slots each), one URL record per entry in plan order. The block count is padded to
/// a multiple of 8 and the file to at least 0x8000 bytes, as WinINet under Wine wants them.
std::vector<unsigned char> SyntheticIndexDat(const std::vector<SyntheticEntry>& entries,
                                             IndexDatWriter::Version version);

/// Writes "index.dat" of `entries` into the existing folder `cacheFolder` and creates the cache
/// directories; with `withContent`, also every content file with its size of seeded bytes. False
/// if any file cannot be written.
bool WriteSyntheticCache(const std::string& cacheFolder, const std::vector<SyntheticEntry>& entries,
                         IndexDatWriter::Version version, bool withContent);

}  // namespace murel

// One entry file of Firefox's disk cache, read into a cache entry.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cache/core/cache_entry.h"
#include "platform/platform.h"

namespace murel {

struct FirefoxMetadata;

/// Reads entry files of Firefox's disk cache. Memory stays within two buffers of fixed size,
/// kept from one file to the next, whatever sizes a file claims.
class FirefoxEntryReader {
 public:
  /// Reads the entry file `file` (full path `path`) into `entry`: the URL of its key, and its body
  /// as a stored body of that file with the content codings of its response head, stored at the
  /// entry's own time (the later of the metadata's last-modified time and the file's last-write
  /// time). True only for an entry that an export takes: a GET response with a 2xx status other
  /// than 206, whose body is complete (not marked weakly framed while it declares a length, not
  /// shorter than the Content-Length of a body without content coding) and matches its chunk
  /// hashes. A body that ended with the connection is complete. Alternative data kept after the
  /// body is not part of it. False, with `entry` untouched, for any other entry, a damaged one,
  /// or a file that cannot be read whole; the metadata must lie in the file's last 512 KiB.
  bool Read(ReadableFile& file, const std::string& path, CacheEntry& entry);

 private:
  /// True when every chunk that holds part of the first `bodySize` bytes of data matches its
  /// hash; chunks from `tailStart` on are taken from `tail` (the file's bytes from there on),
  /// earlier ones read one at a time.
  bool ChunksMatch(ReadableFile& file, const FirefoxMetadata& meta, std::uint64_t bodySize,
                   const unsigned char* tail, std::uint64_t tailStart);

  std::vector<unsigned char> tail_;   ///< The last bytes of a file not held in memory.
  std::vector<unsigned char> chunk_;  ///< One chunk of data that lies before `tail_`.
};

}  // namespace murel

// The files of Chromium's blockfile cache that cache addresses point into: the block files
// "data_N" and the external files "f_xxxxxx".
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace murel {

/// Where the bytes of a cache address lie: a file of the cache folder, the offset of the first
/// byte, and the most bytes the address holds (unknown, UINT64_MAX, for an external file: its
/// reader checks the file's size).
struct BlockPlace {
  std::string name;  ///< The file's name in the cache folder.
  std::string file;  ///< Its full path, for messages.
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
};

/// Resolves cache addresses (a 32-bit "CacheAddr": bit 31 set, file type in bits 28..30;
/// external files by number in bits 0..27; block files by file number in bits 16..23, block
/// count - 1 in bits 24..25 and first block in bits 0..15) and reads through them. Block files
/// are opened once, when first needed, and their headers checked; every address is checked
/// against the header of its file. Names are formed from numbers only, and opened in the cache
/// folder held open.
class BlockFiles {
 public:
  /// Over the cache folder `folder` (a full path, for messages), held open as `opened`.
  BlockFiles(std::string folder, std::shared_ptr<OpenedFolder> opened)
      : folder_(std::move(folder)), opened_(std::move(opened)) {}

  /// The place of `address`; empty if it is null, malformed, of another file type than
  /// `wantedType` (0 external, 1 rankings, 2..4 blocks of 256, 1024, 4096 bytes; -1 any), or
  /// lies beyond its block file's capacity or size.
  std::optional<BlockPlace> Locate(std::uint32_t address, int wantedType = -1);

  /// Reads the first `size` bytes at `address` into `bytes`; false if the address does not
  /// hold that many or the read fails.
  bool Read(std::uint32_t address, std::size_t size, std::vector<unsigned char>& bytes,
            int wantedType = -1);

  /// What opens the file of `address`, whose place Locate gave as `place`, for copying a body:
  /// the block file already open, or the external file opened in the cache folder when called.
  std::function<std::shared_ptr<ReadableFile>()> Opener(std::uint32_t address,
                                                        const BlockPlace& place);

 private:
  struct BlockFile {
    std::shared_ptr<ReadableFile> file;
    std::uint32_t blockSize = 0;
    std::uint32_t capacity = 0;
  };

  /// The block file `number`, opened and checked on first use; null if unusable.
  BlockFile* Block(std::uint32_t number);

  std::string folder_;
  std::shared_ptr<OpenedFolder> opened_;
  std::map<std::uint32_t, BlockFile> blocks_;
};

}  // namespace murel

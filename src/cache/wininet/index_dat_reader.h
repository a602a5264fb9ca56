// A WinINet cache named by its index.dat file, read by the portable reader.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "cache/core/cache_reader.h"
#include "platform/platform.h"

namespace murel {

/// The largest index.dat taken. The allocation bitmap of the file's header has room for about
/// 126,000 blocks of 128 bytes, so a real file stays under 17 MB; anything far larger is damaged
/// and is not read into memory.
constexpr std::uint64_t kMaxIndexFileSize = std::uint64_t{32} << 20;

/// A reader over the index.dat file `path` (a full path) in the order WinINet walks it. Local
/// files lie in the file's folder; an entry whose local file would lie elsewhere (names that
/// climb, a content directory that is a link) is delivered refused. Null if the file cannot be
/// read, is larger than kMaxIndexFileSize, is no index.dat of a known version, or has no entry
/// (as WinINet's own walk, which cannot be opened on an empty cache).
std::unique_ptr<CacheReader> OpenIndexDatReader(Platform& platform, const std::string& path);

}  // namespace murel

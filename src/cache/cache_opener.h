// Finding the cache that a run reads, and the reader for its format.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cache/cache_formats.h"
#include "cache/core/cache_reader.h"
#include "cache/core/entry_memo.h"
#include "platform/platform.h"

namespace murel {

/// Which cache a reader reads, as a web archive names it.
struct CacheOrigin {
  std::string format;  ///< The format's short name (see CacheFormat::name).
  std::string path;    ///< The full path of the cache file or folder; empty for the system's own.
};

/// The reader for the cache `cachePath` as the user named it ("-c"): a cache file (index.dat),
/// or a folder of any format of CacheFormats (the format is told from the folder's contents). An
/// empty `cachePath` means the default cache (FindDefaultCache), else the system's own cache walk
/// where the platform has one. Null if nothing readable is found. An entry whose URL holds a
/// control byte is delivered refused (see RefuseControlBytes). `memo`, when given, reaches only
/// a reader that keeps one entry a file, which begins it (see EntryMemo); the caller saves it
/// after the reading. `origin`, when given, is told which cache the reader reads.
std::unique_ptr<CacheReader> OpenCache(Platform& platform, const std::string& cachePath,
                                       EntryMemo* memo = nullptr, CacheOrigin* origin = nullptr);

}  // namespace murel

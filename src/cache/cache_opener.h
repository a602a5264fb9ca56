// Finding the cache that a run reads, and the reader for its format.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cache/core/cache_reader.h"
#include "cache/core/entry_memo.h"
#include "platform/platform.h"

namespace murel {

/// One cache format that a named folder may hold.
struct CacheFormat {
  /// The format's short name, as the list of caches shows it.
  const char* name;
  /// What the format is and what in a folder shows it, for the message when no format is found.
  std::string lookedFor;
  /// The reader for the cache in or below the folder `folder` (a full path, no trailing "\"),
  /// looking in the places where the format keeps its files relative to the folders a user is
  /// likely to name; null when the format is not there or cannot be read. A format that keeps
  /// one entry a file uses and adds to `memo` when it is given. `opened` is `folder` held open
  /// by the caller, so that every format looks into the same folder; null to open it here.
  std::unique_ptr<CacheReader> (*open)(Platform& platform, const std::string& folder,
                                       EntryMemo* memo, std::shared_ptr<OpenedFolder> opened);
};

/// The formats a named folder is tried for, in order.
const std::vector<CacheFormat>& CacheFormats();

/// Which cache a reader reads, as a web archive names it.
struct CacheOrigin {
  std::string format;  ///< The format's short name (see CacheFormat::name).
  std::string path;    ///< The full path of the cache file or folder; empty for the system's own.
};

/// The reader for the cache `cachePath` as the user named it ("-c"): a cache file (index.dat),
/// or a folder of any format of CacheFormats (the format is told from the folder's contents). An
/// empty `cachePath` means the platform's default cache, or the system's own cache walk where the
/// platform has one. Null if nothing readable is found. An entry whose URL holds a control byte
/// is delivered refused (see RefuseControlBytes). `memo`, when given, is begun by a reader
/// that keeps one entry a file (see EntryMemo); the caller saves it after the reading. `origin`,
/// when given, is told which cache the reader reads.
std::unique_ptr<CacheReader> OpenCache(Platform& platform, const std::string& cachePath,
                                       EntryMemo* memo = nullptr, CacheOrigin* origin = nullptr);

}  // namespace murel

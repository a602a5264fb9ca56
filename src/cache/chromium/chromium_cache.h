// Finding a Chromium disk cache (Chrome, Edge, Brave, Opera, Vivaldi, Electron) and its backend.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "cache/core/cache_reader.h"
#include "cache/core/entry_memo.h"
#include "platform/platform.h"

namespace murel {

/// The three ways Chromium keeps its disk cache.
enum class ChromiumBackend { kSimple, kBlockfile, kSql };

/// The backend that the first bytes of a cache's "index" file show: 30 5C 72 A7 1B 6D FB FC
/// simple, C3 CA 03 C1 blockfile, "SQLCache" SQL. Empty for anything else.
std::optional<ChromiumBackend> BackendOfIndex(const unsigned char* bytes, std::size_t size);

/// The reader for the Chromium cache in `folder` (a full path): the cache folder itself
/// ("Cache_Data", or "Cache" of caches before 2022), the "Cache" folder above "Cache_Data", or a
/// profile folder ("Default", "Profile 1") that holds "Cache". The backend is told by the
/// "index" file of the first of these places that has one. Null when none is found, or the
/// backend's reader cannot read it (the SQL backend in a build without SQLite). The simple
/// backend's reading uses and adds to `memo` when it is given.
/// `opened` is `folder` held open by the caller; null to open it here (a link there is followed:
/// the user named it).
std::unique_ptr<CacheReader> OpenChromiumCache(Platform& platform, const std::string& folder,
                                               EntryMemo* memo = nullptr,
                                               std::shared_ptr<OpenedFolder> opened = nullptr);

}  // namespace murel

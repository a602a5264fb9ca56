// Chromium's "simple" disk cache (Linux, macOS, Android): one file "<16 hex>_0" per entry.
#pragma once

#include <memory>
#include <string>

#include "cache/core/cache_reader.h"
#include "cache/core/entry_memo.h"
#include "platform/platform.h"

namespace murel {

/// A reader over the simple cache in the folder `folder` (a full path), held open as `opened`
/// (its files are opened from there): its "<16 hex>_0" files
/// in the order of their names. Each file holds a header and the key, the body (stream 1), an
/// end record, the pickled response info (stream 0), the key's SHA-256 when flagged and a last
/// end record; both the 24-byte records of today and the 20-byte ones of old 32-bit builds are
/// read. Files that are damaged (a key that does not match its hash, a response info or a body
/// that does not match the CRC its end record keeps), never closed or not exported (see
/// ToExportedEntry) are passed over. With a memo, files it knows are not read again (see
/// WalkEntryFiles). Null if the folder cannot be listed.
std::unique_ptr<CacheReader> OpenChromiumSimpleReader(Platform& platform, const std::string& folder,
                                                      std::shared_ptr<OpenedFolder> opened,
                                                      EntryMemo* memo);

}  // namespace murel

// Turning one record of a Chromium cache into the entry that an export writes.
#pragma once

#include <cstddef>
#include <string_view>

#include "cache/core/cache_entry.h"

namespace murel {

/// The largest stored response (pickled response info) read; real ones, certificates included,
/// stay under a few tens of KiB.
constexpr std::size_t kMaxResponseInfoSize = std::size_t{1} << 20;
/// The largest key read: a URL of Chromium's 2 MiB limit with its partition prefix.
constexpr std::size_t kMaxKeySize = (std::size_t{2} << 20) + 4096;

/// Fills `entry` with the URL of `key` and `body` (whose file, offset and size the caller has
/// set; this adds the content codings to undo, none when Chromium would serve the body as stored,
/// and the time stored) when the record is one that an export writes: the key names a URL, the
/// response info parses, its status is a 2xx other than 206, the body is not marked truncated and
/// is not shorter than its Content-Length. False, with `entry` unspecified, for any other record:
/// those are not exported and are no failures.
bool ToExportedEntry(std::string_view key, const unsigned char* responseInfo,
                     std::size_t responseInfoSize, StoredBody body, CacheEntry& entry);

}  // namespace murel

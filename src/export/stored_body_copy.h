// Writing a body that the cache keeps inside its own files to a file of its own.
#pragma once

#include <string>

#include "cache/core/cache_entry.h"
#include "export/reporter.h"
#include "platform/platform.h"

namespace murel {

/// How writing a stored body ended.
enum class BodyCopy {
  kWritten,     ///< The whole body is at the destination, with the time the cache stored it.
  kFailed,      ///< Nothing was written: the body could not be read, decoded or written.
  kNotInBuild,  ///< Nothing was written: a coding this build has no decoder for.
  kNotNew,      ///< Nothing was written: asked for a new file, and something is at its name.
};

/// Writes `body` (a range of a cache file) to `destination` through the platform's body writer,
/// in chunks of bounded size, undoing its content codings unless `raw`, and gives it the time the
/// cache stored it. The destination is replaced only by the whole body: on any failure (the cache
/// file cannot be opened or is shorter than the range, the codings cannot be undone, the decoded
/// body passes DecodedSizeLimit, a write fails) nothing is left and the old file stays. With
/// `onlyNew`, the body is written only where nothing is at the destination yet (kNotNew else).
/// On kFailed and kNotInBuild, `why` (when given) is set to the reason: the system's own words
/// for a failed open or write, the codings for a body that cannot be decoded.
BodyCopy WriteStoredBody(Platform& platform, const StoredBody& body, bool raw,
                         const std::string& destination, bool onlyNew = false,
                         CopyReason* why = nullptr);

}  // namespace murel

// One entry of a cache as the readers deliver it: its URL and where its content is.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace murel {

/// A body that the cache keeps inside its own files: a range of one cache file, as the server
/// sent it. A cache that keeps a body in pieces (a database), or a reader that still holds the
/// file open, sets `open`.
struct StoredBody {
  std::string file;                    ///< Full path of the cache file that holds the body.
  std::uint64_t offset = 0;            ///< Where the body begins in that file.
  std::uint64_t size = 0;              ///< The body's length in bytes.
  std::vector<std::string> encodings;  ///< Content codings, in the order the server applied them.
  FileTime stored = 0;                 ///< When the cache stored the entry.
  /// When set, the body is not read from `file` by name: `open` gives a file whose range
  /// [offset, offset + size) is the body (null if it cannot be read), and `file` only names the
  /// cache file in messages. Unset for a plain range of `file`, opened when it is copied.
  std::function<std::shared_ptr<ReadableFile>()> open;
};

/// One cache entry. Its content is a local file (`localFile`, WinINet) or a stored body
/// (`storedBody`); neither when the cache has no content for it.
struct CacheEntry {
  std::string url;
  std::string localFile;  ///< Full path of the file that holds the content; may be empty.
  std::optional<StoredBody> storedBody;
  /// The response's status line and header lines as the cache kept them (each line ending in
  /// NUL, CR LF or LF); empty when the cache kept none.
  std::string head;
  /// The reader found the content's place unsafe to read (outside the cache folder, through a
  /// link): it is not read, and the entry is reported like a failed copy.
  bool refused = false;
};

/// The path that names an entry's content in messages: its stored body's cache file, or its
/// local file.
inline const std::string& ContentPath(const CacheEntry& entry) {
  return entry.storedBody ? entry.storedBody->file : entry.localFile;
}

}  // namespace murel

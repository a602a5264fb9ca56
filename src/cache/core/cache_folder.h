// Keeping every read of a cache inside the cache's own folder.
//
// A cache's files are untrusted: a name recorded in them may climb out of the folder ("..\..\x")
// and a file or folder in it may be a link to anywhere. Every reader forms the paths it reads with
// these checks, and the file services refuse a link or special file at the last level.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace murel {

/// True when `name` is one plain name of a file or folder: not empty, no "\", "/" or ":" in it,
/// no NUL or other control character, and not made only of dots and blanks ("." and ".." climb,
/// and Windows trims the others to them).
bool IsPlainName(std::string_view name);

/// Remembers which folders below a cache folder are real folders: a folder, not a link to one
/// (a link could lead anywhere). Each folder is looked at once.
class CacheFolders {
 public:
  explicit CacheFolders(Platform& platform) : platform_(platform) {}

  /// True when `path` is a real folder (not a link, not a file).
  bool IsRealFolder(const std::string& path);

 private:
  Platform& platform_;
  std::map<std::string, bool> known_;
};

}  // namespace murel

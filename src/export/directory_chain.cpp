#include "export/directory_chain.h"

#include "export/path_text.h"

namespace murel {
namespace {

// The directory that holds `level`. A level right under a drive ("C:\a") keeps the backslash, as
// "C:" alone would name the drive's current directory.
std::string ParentOf(const std::string& level) {
  const std::size_t cut = level.rfind('\\');
  return cut == 2 && level[1] == ':' ? level.substr(0, cut + 1) : level.substr(0, cut);
}

// Turns the file `level` into a directory that holds it as "__". The file is first renamed to a
// name that the temporary-name service claimed for us in the same directory, so that the level's
// name is free while the file stays on the same volume and is never copied.
void ClearBlockedLevel(Platform& platform, const std::string& level) {
  const std::optional<std::string> temp = platform.GetTempFileNameA(ParentOf(level), "", 0);
  if (!temp) return;
  // The service leaves an empty file under the name; the rename must not replace anything.
  if (!platform.DeleteFileA(*temp) || !platform.MoveFileA(level, *temp)) return;
  if (!platform.CreateDirectoryA(level)) {
    // The page must not vanish because its name could not become a directory: put it back.
    platform.MoveFileA(*temp, level);
    return;
  }
  // Should this fail, the page stays under the temporary name beside the new directory.
  platform.MoveFileA(*temp, level + "\\" + kDirectoryPageName);
}

bool IsDirectory(Platform& platform, const std::string& path) {
  const std::optional<std::uint32_t> attributes = platform.GetFileAttributesA(path);
  return attributes && (*attributes & kFileAttributeDirectory) != 0;
}

void MakeLevel(Platform& platform, const std::string& level, std::size_t rootLength) {
  if (platform.CreateDirectoryA(level)) return;
  // The export root's own levels belong to the user, whatever sits there.
  if (level.size() < rootLength) return;
  const std::optional<std::uint32_t> attributes = platform.GetFileAttributesA(level);
  if (attributes && (*attributes & kFileAttributeDirectory) == 0) {
    ClearBlockedLevel(platform, level);
  }
}

}  // namespace

void MakeDirectoryChain(Platform& platform, const std::string& target, std::size_t rootLength) {
  const std::string directory = PathRemoveFileSpecA(target) + "\\";
  // The first "\" follows the drive; the levels start at the next one. Two backslashes in a row
  // give a level ending in "\", which names the directory before it and changes nothing.
  const std::size_t first = directory.find('\\');
  // Most targets share their directory, or most of it, with an earlier entry or the last run.
  // The deepest level that is a directory is looked for from the bottom: the system resolved every
  // level above it as a directory too, so only the levels below it can need creating or clearing.
  // A directory that exists whole thus costs one look, not two calls per level.
  std::size_t made = first;
  for (std::size_t cut = directory.size() - 1; cut > first; cut = directory.rfind('\\', cut - 1)) {
    if (IsDirectory(platform, directory.substr(0, cut))) {
      made = cut;
      break;
    }
  }
  for (std::size_t cut = directory.find('\\', made + 1); cut != std::string::npos;
       cut = directory.find('\\', cut + 1)) {
    MakeLevel(platform, directory.substr(0, cut), rootLength);
  }
}

}  // namespace murel

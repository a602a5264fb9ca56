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
  const std::optional<std::string> temp = platform.CreateTemporaryFile(ParentOf(level), "", 0);
  if (!temp) return;
  // The service leaves an empty file under the name; the rename must not replace anything.
  if (!platform.RemoveFile(*temp) || !platform.Rename(level, *temp)) return;
  if (!platform.CreateFolder(level)) {
    // The page must not vanish because its name could not become a directory: put it back.
    platform.Rename(*temp, level);
    return;
  }
  // Should this fail, the page stays under the temporary name beside the new directory.
  platform.Rename(*temp, DirectoryPageOf(level));
}

bool IsDirectory(Platform& platform, const std::string& path) {
  return IsPlainDirectory(platform.QueryAttributes(path));
}

// Makes the level `level`, or clears it when a file or link takes its name. True when the level
// is then a directory of the run's own.
bool MakeLevel(Platform& platform, const std::string& level, std::size_t rootLength) {
  if (platform.CreateFolder(level)) return true;
  // The export root's own levels belong to the user, whatever sits there.
  if (level.size() < rootLength) return false;
  const std::optional<std::uint32_t> attributes = platform.QueryAttributes(level);
  if (IsPlainDirectory(attributes)) return true;
  if (attributes) ClearBlockedLevel(platform, level);
  return IsDirectory(platform, level);
}

// The cut of the deepest level of `directory` below the cut `from` that is a directory, looked at
// from the bottom; `from` when none is.
std::size_t DeepestDirectory(Platform& platform, const std::string& directory, std::size_t from) {
  std::string level;
  level.reserve(directory.size());
  for (std::size_t cut = directory.size() - 1; cut > from; cut = directory.rfind('\\', cut - 1)) {
    level.assign(directory, 0, cut);
    if (IsDirectory(platform, level)) return cut;
  }
  return from;
}

}  // namespace

std::size_t DeepestKnownLevel(const std::string& path, std::size_t floor,
                              const KnownDirectories& known, std::string& level) {
  for (std::size_t cut = path.rfind('\\'); cut != std::string::npos && cut > floor;
       cut = path.rfind('\\', cut - 1)) {
    level.assign(path, 0, cut);
    if (known.count(level) != 0) return cut;
  }
  return floor;
}

bool IsPlainDirectory(const std::optional<std::uint32_t>& attributes) {
  return attributes && (*attributes & kFileAttributeDirectory) != 0 &&
         (*attributes & kFileAttributeReparsePoint) == 0;
}

bool MakeDirectoryChain(Platform& platform, const std::string& target, std::size_t rootLength,
                        KnownDirectories& known) {
  const std::string folder = PathRemoveFileSpecA(target);
  // A directory that the run knows had every level above it made sure of first.
  const auto knownDirectory = known.find(folder);
  if (knownDirectory != known.end()) return knownDirectory->second;
  const std::string directory = folder + "\\";
  // The first "\" follows the drive; the levels start at the next one. Two backslashes in a row
  // give a level ending in "\", which names the directory before it and changes nothing.
  const std::size_t first = directory.find('\\');
  // Most targets share their directory, or most of it, with an earlier entry or the last run, so
  // the deepest level that is a directory is looked for from the bottom. The system reached it
  // through the levels above, which may be links; every level below the root down to it is made
  // sure of once (a link there is cleared like a file) before anything is made inside it. Levels
  // the run knows were made sure of with everything above them, so the work starts below them.
  std::string level;
  level.reserve(directory.size());
  const std::size_t from = DeepestKnownLevel(folder, first, known, level);
  const std::size_t deepest = DeepestDirectory(platform, directory, from);
  bool made = false;       // a level was made or cleared: every level below it is new
  bool levelMade = false;  // the level at hand is one this run made
  for (std::size_t cut = directory.find('\\', from + 1); cut != std::string::npos;
       cut = directory.find('\\', cut + 1)) {
    level.assign(directory, 0, cut);
    if (level.size() < rootLength) {
      if (cut > deepest) platform.CreateFolder(level);
      continue;
    }
    const bool sure = !made && (cut == deepest || (cut < deepest && IsDirectory(platform, level)));
    if (!sure) {
      if (!MakeLevel(platform, level, rootLength)) return false;
      made = true;
    }
    levelMade = !sure;
    known.emplace(level, levelMade);
  }
  return levelMade;
}

}  // namespace murel

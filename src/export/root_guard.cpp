#include "export/root_guard.h"

#include <string_view>

#include "base/ascii.h"
#include "base/buffer_limits.h"
#include "base/windows_names.h"

namespace murel {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// A component Windows would not keep as a name of its own: "." and ".." move within the tree, and
// a name of dots and blanks only is trimmed to nothing (the parent) or read as "..". A ":" opens
// an alternate data stream, or names a drive.
bool IsUnsafeComponent(std::string_view component) {
  if (component.find(':') != std::string_view::npos) return true;
  return !component.empty() && IsOnlyDotsAndBlanks(component);
}

// Each directory level and the target itself must resolve inside the root: Windows maps device
// names such as CON or NUL to the device at any level, whatever the root. Names compare without
// regard to case, as Windows compares them.
// The resolved path is left in `full`.
bool ResolvesInside(Platform& platform, const std::string& exportRoot, const std::string& path,
                    std::optional<std::string>& full) {
  full = platform.FullPath(path, kPathBufferSize);
  return full && full->size() > exportRoot.size() && StartsWithNoCase(*full, exportRoot);
}

// Whether the resolved target `full` (inside the root) is one of murel's own files in the root:
// a cache must not replace the listing of the run that exports it.
bool IsOwnFile(const std::string& exportRoot, const std::string& full) {
  const std::string_view name = std::string_view(full).substr(exportRoot.size());
  return EqualsNoCase(name, kListingName) || EqualsNoCase(name, kLegacyMemoName);
}

}  // namespace

bool StaysInsideRoot(Platform& platform, const std::string& exportRoot, const std::string& target,
                     const KnownDirectories& known) {
  // Rules rewrite the whole path, root included, so the root may no longer be there.
  if (target.size() <= exportRoot.size() || !StartsWithNoCase(target, exportRoot)) return false;
  // The target up to the end of the component at hand: room kept from one call to the next, as
  // this runs for every entry.
  thread_local std::string level;
  // The levels of a known directory passed with an earlier target: only those below it are left.
  const std::size_t cut = DeepestKnownLevel(target, exportRoot.size(), known, level);
  std::size_t start = cut > exportRoot.size() ? cut + 1 : exportRoot.size();
  bool named = start > exportRoot.size();
  std::optional<std::string> full;  // the level resolved
  while (start < target.size()) {
    std::size_t end = start;
    while (end < target.size() && !IsSeparator(target[end])) ++end;
    if (end > start) {
      if (IsUnsafeComponent(std::string_view(target).substr(start, end - start))) return false;
      level.assign(target, 0, end);
      if (!ResolvesInside(platform, exportRoot, level, full)) return false;
      named = true;
    }
    start = end + 1;
  }
  // Separators alone name the root itself, which is no place for a file.
  return named && !(full && IsOwnFile(exportRoot, *full));
}

}  // namespace murel

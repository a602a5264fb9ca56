// Mapping between the Windows-form paths that the program keeps and the host's paths. The host's
// root directory is drive Z:, so "Z:\tmp\out\a" is "/tmp/out/a"; "\" and "/" both separate
// components. Pure string work: the current directory is passed in.
#pragma once

#include <optional>
#include <string>

namespace murel {

/// The host path for `path`: a Windows-form path on drive Z (any case of the letter), a path
/// rooted without a drive ("\tmp", "/tmp"), or a relative path (kept relative, "\" turned to "/").
/// Empty for any other drive letter. "Z:" alone and "Z:name" are relative to the current folder.
std::optional<std::string> HostPathOf(const std::string& path);

/// True if `path` (any form that `HostPathOf` takes) names a place from the host's root: with no
/// drive or on drive Z, it begins with "\" or "/". False for a relative path, for "Z:" alone and
/// "Z:name", and for another drive.
bool IsRootedPath(const std::string& path);

/// HostPathOf(`path`) in a buffer of the calling thread's own, which the next call on the thread
/// reuses: the looks that every entry of an export makes cost no allocation. Null for a path on
/// another drive.
const char* ScratchHostPath(const std::string& path);

/// The Windows form of an absolute host path ("/tmp/a" gives "Z:\tmp\a", "/" gives "Z:\"), with
/// no other change.
std::string WindowsFormOf(const std::string& hostPath);

/// The full Windows-form path of `path` (any form that `HostPathOf` takes) against the absolute
/// host folder `currentHostDir`: "." and ".." components resolved (".." at the root stays there),
/// repeated separators merged, a trailing separator kept. Empty for an empty path or another
/// drive.
std::optional<std::string> FullWindowsPath(const std::string& path,
                                           const std::string& currentHostDir);

/// How a Windows-form path shows on the host: a path on drive Z in host form, a relative path
/// with "/" separators; a path on another drive as it is.
std::string DisplayHostPath(const std::string& path);

}  // namespace murel

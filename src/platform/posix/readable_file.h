// Regular files opened for reading on a POSIX host, never through a link or into a pipe.
#pragma once

#include <sys/stat.h>

#include <memory>
#include <string>

#include "platform/platform.h"

namespace murel {

/// The facts of `name` relative to the open folder `folderFd` (or to the current directory, for
/// AT_FDCWD), without following a link at its last component. A regular file that no one may
/// read is of kind kOther: an unfinished copy (see PosixBodyWriter).
std::optional<FileFacts> QueryHostName(int folderFd, const char* name);

/// Opens the regular file `name` relative to the open folder `folderFd` (or to the current
/// directory, for AT_FDCWD) for reading: null for a link at the last component, a folder, a pipe
/// or device (opened without waiting, then refused), or a missing file.
std::unique_ptr<ReadableFile> OpenHostFileAt(int folderFd, const char* name);

/// OpenHostFileAt for the host path `hostPath`.
std::unique_ptr<ReadableFile> OpenHostFile(const std::string& hostPath);

/// Opens `hostPath` read-only as OpenHostFile does (no link, no waiting, regular files only) and
/// returns the descriptor with its facts in `info`; -1 on refusal or failure.
int OpenRegularFile(const std::string& hostPath, struct stat& info);

}  // namespace murel

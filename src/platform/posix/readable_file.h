// Regular files opened for reading on a POSIX host, never through a link or into a pipe.
#pragma once

#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

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

/// `size` zero bytes for a whole file read into memory (FileSystem::RoomForFile). The pages of a
/// large one are made present at once, in large pages where the system keeps them, rather than
/// one fault at a time as the reading first touches each.
std::vector<unsigned char> RoomForHostFile(std::size_t size);

/// Opens `hostPath` read-only as OpenHostFile does (no link, no waiting, regular files only) and
/// returns the descriptor with its facts in `info`; -1 on refusal or failure.
int OpenRegularFile(const std::string& hostPath, struct stat& info);

}  // namespace murel

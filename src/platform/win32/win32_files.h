// Reading and writing files with the Windows API for the services that read caches and write
// bodies.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace murel {

/// The facts of `path` from ::GetFileAttributesExA; a reparse point (a link) is kLink.
std::optional<FileFacts> QueryWindowsFile(const std::string& path);

/// The items of the folder `path` with the facts its listing holds (as QueryWindowsFile gives
/// them); empty if it cannot be listed whole.
std::optional<std::vector<FolderItem>> ListWindowsFolder(const std::string& path);

/// Opens the regular file `path` for reading, shared for reading and writing, without following
/// a reparse point; null for a folder, a reparse point, a device or pipe, or a missing file.
std::unique_ptr<ReadableFile> OpenWindowsFile(const std::string& path);

/// Opens the folder `path` (a link there is followed: the user named it) and holds it by a
/// handle; names in it are looked at and opened relative to that handle (NtCreateFile with a
/// root directory), never through a reparse point, so the folder read stays the one opened
/// whatever happens to its path. The folder may still be renamed or deleted meanwhile. Null if
/// it is no folder.
std::unique_ptr<OpenedFolder> OpenWindowsFolder(const std::string& path);

/// A writer of a new file under the temporary name `temporary` (an existing empty file in the
/// target's folder, from ::GetTempFileNameA) that replaces `target` when committed. Null if the
/// temporary cannot be opened (it is then deleted).
std::unique_ptr<BodyWriter> CreateWindowsBodyWriter(const std::string& temporary,
                                                    const std::string& target);

}  // namespace murel

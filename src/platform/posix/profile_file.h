// Profile files on a POSIX host, read as a stream.
#pragma once

#include <string>

#include "platform/profile_lines.h"

namespace murel {

/// Gives the lines of the profile file at `hostPath` to `reader`, reading it in chunks and
/// stopping as soon as the reader wants no more, so that memory does not grow with the file. A
/// link is followed; anything but a regular file (a folder, a pipe, a device) is not read, and
/// opening never waits. False if the file is missing, not a regular file, or cannot be read
/// whole up to where the reader stopped.
bool ReadProfileFile(const std::string& hostPath, ProfileLineReader& reader);

}  // namespace murel

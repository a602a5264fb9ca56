// The services that the program logic asks of the operating system.
//
// The program logic (run, text, rules, export, cache) reaches the system only through the
// services that the entry point's platform gives: the file system, the desktop, the system's own
// URL cache, the profile reader and the environment, each an interface of its own, so that a
// part that needs one service takes that one. Paths are Windows-form texts everywhere
// ("C:\out\a", "\" separator); the Windows platform hands them to the API as they are, the POSIX
// platform maps them onto the host (drive Z: is the host's root), and the in-memory platform used
// by the tests keeps a file system of its own.
#pragma once

#include "platform/desktop.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/profile_reader.h"
#include "platform/system_cache.h"

namespace murel {

/// All the system's services in one object. A run reads a cache's files on a second thread while
/// the first one writes, so every call may come from either thread while the other makes calls of
/// its own; an object that a call gives (a file, a writer) is used by one thread at a time.
class Platform : public FileSystem,
                 public Desktop,
                 public SystemCache,
                 public ProfileReader,
                 public Environment {};

}  // namespace murel

// Files with new numbered names: the system's temporary names, and the temporary files that a
// copy is written to before it is renamed onto its target, with the removal of those that a
// killed run left behind.
//
// A temporary is named ".murel-<pid>-<hex>.tmp" after the process that writes it and has no
// permission bits until it is renamed onto its target. A file is taken for a stale temporary only
// when all of that holds, it belongs to this user, and no process with that number runs: a user's
// file, a finished copy (whatever its URL named it) and another run's copy in progress are never
// removed.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>

namespace murel {

/// Creates a new empty file "<stem><hex><suffix>" with permission bits `mode` in the host folder
/// `hostDir`, trying the numbers 1 to FFFF (hexadecimal) from `nextNumber` on (it advances with
/// every try). Its host path, with the open descriptor in `fd`; empty if none can be created.
std::optional<std::string> CreateNumberedFile(const std::string& hostDir, const std::string& stem,
                                              const std::string& suffix, mode_t mode,
                                              std::uint32_t& nextNumber, int& fd);

/// Creates a new empty temporary in the host folder `hostDir`, with no permission bits, trying
/// numbers from `nextNumber` on (it advances with every try). Its host path, with the open
/// descriptor in `fd`; empty if none can be created.
std::optional<std::string> CreateCopyTemp(const std::string& hostDir, std::uint32_t& nextNumber,
                                          int& fd);

/// Gives the complete copy open as `fd` (already renamed onto its target) the permissions of a
/// new file (0666 less the process's umask). False on failure.
bool FinishCopyTemp(int fd);

/// Removes from the host folder `hostDir` every stale temporary left by a run that was killed
/// while it copied. Failures are passed over: a temporary that stays harms nothing.
void RemoveStaleCopyTemps(const std::string& hostDir);

}  // namespace murel

// Keeping every write of an entry inside the export root, whatever its URL holds.
#pragma once

#include <string>

#include "export/directory_chain.h"
#include "platform/platform.h"

namespace murel {

/// The listing of a run, in the export root.
constexpr const char* kListingName = "urls.txt";
/// Where earlier versions kept the memo of entry files, in the export root; each run removes it.
constexpr const char* kLegacyMemoName = ".murel-memo";

/// True when `target` names a place inside `exportRoot` (absolute, ending in "\") at every one of
/// its levels, so that creating its directories and copying to it changes nothing elsewhere, and
/// is none of the files that murel keeps in the root for itself (kListingName, kLegacyMemoName,
/// after the platform has resolved the target, compared without regard to ASCII case).
/// False when the target does not begin with the root (compared without regard to ASCII case),
/// when a component after the root (components are split at "\" and "/") is made only of dots
/// and blanks (".", "..", "...", ". ": Windows climbs out or trims them away) or holds a ":" (an
/// alternate data stream on NTFS), when it names no component after the root, or when the platform
/// resolves the target or one of its directories (`FullPath`) to a place outside the root,
/// as it does for device names. The levels of a directory in `known` (made or seen by the
/// directory chain, so of a target that passed this check) are not checked again.
bool StaysInsideRoot(Platform& platform, const std::string& exportRoot, const std::string& target,
                     const KnownDirectories& known = KnownDirectories());

}  // namespace murel

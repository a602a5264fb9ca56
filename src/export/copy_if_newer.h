// Copying a cached file to its target when the cached copy is newer than what is there.
#pragma once

#include <string>

#include "platform/platform.h"
#include "run/run_settings.h"

namespace murel {

/// Copies `localFile` (the cache's file) to `target` unless the file already at the target is as
/// new as it or newer. A target that names a directory means that directory's "__" page. A
/// missing or unopenable local file is passed over silently; one whose time cannot be read is
/// copied. A failed copy is reported with `ReportCopyFailure`. The copy is atomic (see
/// `Platform::CopyFileA`), so an interrupted run never leaves a partial file.
void CopyIfNewer(Platform& platform, const RunSettings& settings, const std::string& localFile,
                 const std::string& target);

/// Shows the copy error box for `localFile` (its path as the platform shows it, the caption of
/// the message "err_copy", a warning icon), unless `settings.quiet`. Used for every entry whose
/// file did not reach its target.
void ReportCopyFailure(Platform& platform, const RunSettings& settings,
                       const std::string& localFile);

}  // namespace murel

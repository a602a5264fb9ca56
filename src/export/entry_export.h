// The export of one cache entry: selection, its listing line, its target path, the copy.
#pragma once

#include <string>

#include "cache/core/cache_entry.h"
#include "export/export_options.h"
#include "export/export_state.h"
#include "export/reporter.h"
#include "platform/platform.h"

namespace murel {

/// True if the run takes an entry with this URL: URLs under six characters never; in the tolvar
/// format only "http://" and "ftp://" URLs (the filter plays no part); otherwise every URL when the
/// filter is "*" or empty, else those that begin with the filter, compared without regard to case.
bool IsSelected(const ExportOptions& options, const std::string& url);

/// Exports one entry: if it is selected, writes its listing line (unless in the tolvar format),
/// forms its target path (advancing the run's counter of numbered names), and unless only a list is
/// asked for, creates the target's directories and copies the cached content when it is newer. A
/// target that would lie outside the export root, or content the reader refused, is neither made
/// nor copied and is reported like a failed copy. With an archive in `state`, the entry's record
/// is written to it too (also with "-l"); an entry whose record fails is reported like a failed
/// copy and counted as failed, its copy made all the same. Failures are handled inside; the run
/// goes on.
/// The entry is counted in `state.counts`. A copy handed to the writers takes the entry's content
/// with it and leaves `entry` as a new one; any other entry is left as it was, for the reader to
/// take back.
void ExportEntry(Platform& platform, const ExportOptions& options, ExportState& state,
                 Reporter& reporter, CacheEntry& entry);

}  // namespace murel

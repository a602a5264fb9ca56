// The export of every entry of a cache, reported as it goes.
#pragma once

#include "cache/core/cache_reader.h"
#include "export/export_options.h"
#include "export/export_state.h"
#include "export/reporter.h"
#include "platform/platform.h"

namespace murel {

/// Exports every entry that `reader` delivers (ExportEntry), the copies made by a WriterPool
/// (none with "-l", whose entries are only listed). Tells `reporter` that the export has begun,
/// each failed copy and each settling of entries, in the order of the entries, and at the end
/// that it has ended; every copy is finished by then, and `state.counts` complete.
void ExportEntries(Platform& platform, const ExportOptions& options, ExportState& state,
                   Reporter& reporter, CacheReader& reader);

}  // namespace murel

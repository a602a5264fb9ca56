#include "export/cache_export.h"

#include "export/entry_export.h"
#include "export/writer_pool.h"

namespace murel {
namespace {

// The counts as the reporter is given them: the entries the reader passed over are seen, and
// have no body.
ExportCounts Reported(ExportCounts counts, const CacheReader& reader) {
  counts.seen += reader.PassedOver();
  counts.withoutBody += reader.PassedOver();
  return counts;
}

}  // namespace

void ExportEntries(Platform& platform, const ExportOptions& options, ExportState& state,
                   Reporter& reporter, CacheReader& reader) {
  reporter.Begun(reader.Total());
  {
    WriterPool writers(reporter, options.listOnly ? 0 : WriterPool::DefaultThreads());
    writers.OnSettled([&] { reporter.Settled(Reported(state.counts, reader)); });
    state.writers = &writers;
    // An entry that stays here goes back to the reader, whose thread allocated its strings and
    // frees them there.
    for (CacheEntry entry; reader.Next(entry);) {
      ExportEntry(platform, options, state, reporter, entry);
    }
    writers.Finish();
    state.writers = nullptr;
  }
  reporter.Ended(Reported(state.counts, reader));
}

}  // namespace murel

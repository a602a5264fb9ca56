#include "export/cache_export.h"

#include <utility>

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
    // Each entry starts empty: the one before may have gone to a writer.
    for (CacheEntry entry; reader.Next(entry); entry = CacheEntry()) {
      ExportEntry(platform, options, state, reporter, std::move(entry));
    }
    writers.Finish();
    state.writers = nullptr;
  }
  reporter.Ended(Reported(state.counts, reader));
}

}  // namespace murel

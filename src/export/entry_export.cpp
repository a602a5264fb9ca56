#include "export/entry_export.h"

#include "export/copy_if_newer.h"
#include "export/directory_chain.h"
#include "export/root_guard.h"
#include "export/target_path.h"
#include "text/ascii.h"

namespace murel {
namespace {

// URLs shorter than this are passed over: no real URL is, and the shortest scheme prefix is longer.
constexpr std::size_t kShortestUrl = 6;

// Counts how the copy of an entry's content ended.
void Count(ExportCounts& counts, CopyOutcome outcome) {
  switch (outcome) {
    case CopyOutcome::kCopied:
      ++counts.exported;
      break;
    case CopyOutcome::kUpToDate:
      ++counts.unchanged;
      break;
    case CopyOutcome::kNoContent:
      ++counts.withoutBody;
      break;
    case CopyOutcome::kFailed:
      ++counts.failed;
      break;
  }
}

}  // namespace

bool IsSelected(const ExportOptions& options, const std::string& url) {
  if (url.size() < kShortestUrl) return false;
  if (options.tolvarFormat) {
    return StartsWithNoCase(url, "http://") || StartsWithNoCase(url, "ftp://");
  }
  const std::string& filter = options.urlFilter;
  return filter == "*" || StartsWithNoCase(url, filter);
}

void ExportEntry(Platform& platform, const ExportOptions& options, ExportState& state,
                 Reporter& reporter, const CacheEntry& entry) {
  ++state.counts.seen;
  if (!IsSelected(options, entry.url)) {
    ++state.counts.notSelected;
    return;
  }
  const std::string target = TargetPath(options.exportRoot, entry.url, options.tolvarFormat,
                                        options.allRules, state.longUrlCounter);
  // The listing line is written whole, once the path is known: the file then never holds half a
  // line for an entry whose path could not be formed.
  if (!options.tolvarFormat) {
    std::string line = entry.url;
    if (!options.listOnly) {
      line += '\t';
      line += platform.DisplayPath(target);
    }
    line += '\n';
    state.listingFile->Write(line);
  }
  const bool archiveFailed = !entry.refused && state.archive &&
                             state.archive->Add(platform, entry) == ArchiveOutcome::kFailed;
  if (archiveFailed)
    reporter.CopyFailed({ContentPath(entry), entry.url, target, {CopyFault::kNotArchived, ""}});
  if (options.listOnly) {
    ++(archiveFailed ? state.counts.failed : state.counts.exported);
    return;
  }
  if (entry.refused || !StaysInsideRoot(platform, options.exportRoot, target, state.directories)) {
    const CopyFault fault = entry.refused ? CopyFault::kUnsafeSource : CopyFault::kOutsideRoot;
    reporter.CopyFailed({ContentPath(entry), entry.url, target, {fault, ""}});
    ++state.counts.failed;
    return;
  }
  const bool freshFolder =
      MakeDirectoryChain(platform, target, options.exportRoot.size(), state.directories);
  const CopyOutcome copied =
      CopyIfNewer(platform, reporter, entry, options.rawBodies, target, freshFolder);
  Count(state.counts, archiveFailed ? CopyOutcome::kFailed : copied);
}

}  // namespace murel

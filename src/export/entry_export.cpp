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

}  // namespace

bool IsSelected(const RunSettings& settings, const std::string& url) {
  if (url.size() < kShortestUrl) return false;
  if (settings.tolvarFormat) {
    return StartsWithNoCase(url, "http://") || StartsWithNoCase(url, "ftp://");
  }
  const std::string& filter = settings.urlFilter;
  return filter == "*" || StartsWithNoCase(url, filter);
}

void ExportEntry(Platform& platform, RunSettings& settings, const CacheEntry& entry) {
  if (!IsSelected(settings, entry.url)) return;
  const std::string target = TargetPath(settings.exportRoot, entry.url, settings.tolvarFormat,
                                        settings.allRules, settings.longUrlCounter);
  // The listing line is written whole, once the path is known: the file then never holds half a
  // line for an entry whose path could not be formed.
  if (!settings.tolvarFormat) {
    std::string line = entry.url;
    if (!settings.listOnly) line += '\t' + platform.DisplayPath(target);
    settings.listingFile->Write(line + '\n');
  }
  if (settings.listOnly) return;
  if (!StaysInsideRoot(platform, settings.exportRoot, target)) {
    ReportCopyFailure(platform, settings, entry.localFile);
    return;
  }
  MakeDirectoryChain(platform, target, settings.exportRoot.size());
  CopyIfNewer(platform, settings, entry.localFile, target);
}

}  // namespace murel

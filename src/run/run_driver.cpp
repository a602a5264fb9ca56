#include "run/run_driver.h"

#include <optional>

#include "export/cache_cursor.h"
#include "export/entry_export.h"
#include "run/command_line.h"
#include "run/run_settings.h"
#include "text/messages.h"
#include "text/text_lookup.h"
#include "text/usage.h"

namespace murel {
namespace {

constexpr const char* kConfigurationFile = ".\\murel.ini";
constexpr const char* kRuleSection = "all";
/// The profile reader's buffer for one configuration section.
constexpr std::size_t kSectionBufferSize = 1000000;
/// The full-path service writes the root within this many characters.
constexpr std::size_t kFullPathLimit = 500;
/// The root shares a 300-character buffer with the "urls.txt" appended to it.
constexpr std::size_t kMaxExportRootLength = 291;
constexpr const char* kListingName = "urls.txt";

// Shows an error box whose text is `message` followed by the path it concerns, unless "-nm".
void ReportError(Platform& platform, const RunSettings& settings, const Message& message,
                 const std::string& path) {
  if (settings.quiet) return;
  platform.MessageBoxA(GetText(platform, settings, message) + "\n" + platform.DisplayPath(path),
                       GetText(platform, settings, kErrorCaption), BoxIcon::kError);
}

void LoadRules(Platform& platform, RunSettings& settings) {
  LoadRuleSet(
      platform.GetPrivateProfileSectionA(kRuleSection, kConfigurationFile, kSectionBufferSize),
      settings.allRules);
}

// The absolute form of the root text, ending in "\"; empty when it is empty, cannot be
// resolved, or is too long to hold "urls.txt" after it.
std::optional<std::string> ResolveExportRoot(Platform& platform, const std::string& rootText) {
  if (rootText.empty()) return std::nullopt;
  std::optional<std::string> root = platform.GetFullPathNameA(rootText, kFullPathLimit);
  if (!root || root->empty()) return std::nullopt;
  if (root->back() != '\\') *root += '\\';
  if (root->size() > kMaxExportRootLength) return std::nullopt;
  return root;
}

// Creates every level of the export root, the bare drive first; levels that exist, or cannot be
// made, are passed over (the copies then report it).
void CreateExportRoot(Platform& platform, const std::string& exportRoot) {
  for (std::size_t slash = exportRoot.find('\\'); slash != std::string::npos;
       slash = exportRoot.find('\\', slash + 1)) {
    platform.CreateDirectoryA(exportRoot.substr(0, slash));
  }
}

// Walks the cache and exports each entry. False if the walk cannot be opened.
bool ExportCache(Platform& platform, RunSettings& settings) {
  CacheCursor cursor;
  if (!OpenCacheWalk(platform, settings.cachePath, cursor)) return false;
  do {
    ExportEntry(platform, settings, cursor.entry);
  } while (NextCacheEntry(platform, cursor));
  return true;
}

// Closes "urls.txt"; false (after the box) when the listing could not be written whole.
bool CloseListing(Platform& platform, RunSettings& settings) {
  if (!settings.listingFile) return true;
  const bool written = settings.listingFile->Close();
  settings.listingFile.reset();
  if (!written) ReportError(platform, settings, kErrListing, settings.exportRoot + kListingName);
  return written;
}

}  // namespace

int RunMurel(Platform& platform, const std::string& tail) {
  RunSettings settings;
  const ParsedCommandLine parsed = ParseCommandLine(tail, platform, settings);
  if (parsed.outcome == ParseOutcome::kHelp) {
    ShowUsage(platform, settings);
    return kExitOk;
  }
  if (IsRefused(parsed)) {
    ReportRefusal(platform, settings, parsed);
    return kExitBadArguments;
  }
  LoadRules(platform, settings);

  const std::optional<std::string> root = ResolveExportRoot(platform, settings.rootText);
  if (!root) {
    ReportError(platform, settings, kErrExportRoot, settings.rootText);
    return kExitBadArguments;
  }
  settings.exportRoot = *root;
  CreateExportRoot(platform, settings.exportRoot);

  if (!settings.tolvarFormat) {
    settings.listingFile = platform.OpenListingFile(settings.exportRoot + kListingName);
    if (!settings.listingFile) {
      ReportError(platform, settings, kErrListing, settings.exportRoot + kListingName);
      return kExitNoListing;
    }
  }

  if (!ExportCache(platform, settings)) {
    // The listing stays, empty, as the record of a run that found no cache.
    CloseListing(platform, settings);
    if (!settings.quiet) {
      platform.MessageBoxA(GetText(platform, settings, kErrOpenCache),
                           GetText(platform, settings, kErrorCaption), BoxIcon::kError);
    }
    return kExitCacheUnopened;
  }
  return CloseListing(platform, settings) ? kExitOk : kExitNoListing;
}

}  // namespace murel

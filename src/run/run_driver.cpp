#include "run/run_driver.h"

#include <optional>

#include "buffer_limits.h"
#include "export/entry_export.h"
#include "export/root_guard.h"
#include "export/target_path.h"
#include "name_hash.h"
#include "run/about.h"
#include "run/cache_list.h"
#include "run/command_line.h"
#include "run/progress.h"
#include "run/run_settings.h"
#include "text/messages.h"
#include "text/reporter.h"
#include "text/usage.h"
#include "urlcache/cache_opener.h"

namespace murel {
namespace {

constexpr const char* kConfigurationFile = ".\\murel.ini";
constexpr const char* kRuleSection = "all";
// murel's folder in the user's cache folder, for what it keeps between runs.
constexpr const char* kOwnFolderName = "murel\\";
constexpr const char* kSealExtension = ".listing";

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

// Creates every level of the folder `folder` (ending in "\\"), the bare drive first; levels that
// exist, or cannot be made, are passed over (what is written there then fails).
void CreateFolder(Platform& platform, const std::string& folder) {
  for (std::size_t slash = folder.find('\\'); slash != std::string::npos;
       slash = folder.find('\\', slash + 1)) {
    platform.CreateDirectoryA(folder.substr(0, slash));
  }
}

// murel's folder of the user's cache, ending in "\\" and made if missing; empty when the system
// names no user cache folder. What murel keeps there only spares work, so it lies outside the
// export root, which then holds nothing but the listing and the exported files.
std::string OwnFolder(Platform& platform) {
  std::string folder = platform.UserCacheFolder().value_or("");
  if (folder.empty()) return folder;
  if (folder.back() != '\\') folder += '\\';
  folder += kOwnFolderName;
  CreateFolder(platform, folder);
  return folder;
}

// The seal of the listing in the export root, in murel's folder `ownFolder`; none without it.
std::string SealPath(const std::string& ownFolder, const std::string& exportRoot) {
  if (ownFolder.empty()) return ownFolder;
  NameHash name;
  name.Add(exportRoot);
  return ownFolder + name.Hex() + kSealExtension;
}

// What a named cache folder was searched for, one format a line after the message "err_lookedfor".
ShownText LookedFor(BoxReporter& reporter) {
  ShownText text = reporter.Text(kErrLookedFor).Append(":");
  for (const CacheFormat& format : CacheFormats()) {
    text.Append(std::string("\n- ") + format.lookedFor);
  }
  return text;
}

// Reads the cache and exports each entry, showing the progress and, at the end, the summary.
// False if the cache cannot be opened.
bool ExportCache(Platform& platform, const RunSettings& settings, ExportState& state,
                 BoxReporter& reporter, const std::string& ownFolder) {
  EntryMemo memo(platform, ownFolder, settings.exportRoot);
  const std::unique_ptr<CacheReader> reader = OpenCache(platform, settings.cachePath, &memo);
  if (!reader) return false;
  // A cache that opened may still have nothing to export (a browser cache of redirects only).
  Progress progress(platform, reporter, settings.quiet, reader->Total());
  for (CacheEntry entry; reader->Next(entry);) {
    ExportEntry(platform, settings, state, reporter, entry);
    progress.Update(state.counts, reader->PassedOver());
  }
  progress.Finish(state.counts, reader->PassedOver(), platform.DisplayPath(settings.exportRoot));
  memo.Save();
  return true;
}

// Closes "urls.txt"; false (after the box) when the listing could not be written whole. The seal
// then vouches for the listing in place when the run kept its numbered names to it.
bool CloseListing(ExportState& state, BoxReporter& reporter, const std::string& path) {
  bool written = true;
  if (state.listing) {
    written = state.listing->Close();
    if (!written) reporter.Error(kErrListing, path);
  }
  if (!state.ownersSound) {
    state.seal->Break();
  } else if (state.listing && written) {
    state.seal->Set(state.listing->Size(), state.listing->Hash());
  }
  state.listing.reset();
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
  if (parsed.outcome == ParseOutcome::kHelpExtended) {
    ShowExtendedHelp(platform, settings);
    return kExitOk;
  }
  if (parsed.outcome == ParseOutcome::kVersion) {
    ShowVersion(platform);
    return kExitOk;
  }
  if (parsed.outcome == ParseOutcome::kListCaches) return ListCaches(platform, settings);
  if (IsRefused(parsed)) {
    ReportRefusal(platform, settings, parsed);
    return kExitBadArguments;
  }
  LoadRules(platform, settings);

  BoxReporter reporter(platform, settings);
  const std::optional<std::string> root = ResolveExportRoot(platform, settings.rootText);
  if (!root) {
    reporter.Error(kErrExportRoot, settings.rootText);
    return kExitBadArguments;
  }
  settings.exportRoot = *root;
  CreateFolder(platform, settings.exportRoot);
  platform.DeleteFileA(settings.exportRoot + kLegacyMemoName);

  const std::string ownFolder = OwnFolder(platform);
  ListingSeal seal(platform, SealPath(ownFolder, settings.exportRoot));
  ExportState state;
  state.seal = &seal;
  const std::string listing = settings.exportRoot + kListingName;
  EarlierOwners owners;
  if (!settings.listOnly) {
    owners = EarlierOwners::Read(platform, listing,
                                 platform.DisplayPath(settings.exportRoot + kLongUrlDirectory));
    if (owners.Found() && seal.Vouches(owners.Size(), owners.Hash())) state.owners = &owners;
  }
  if (!settings.tolvarFormat) {
    state.listing = ListingWriter::Open(platform, listing);
    if (!state.listing) {
      reporter.Error(kErrListing, listing);
      return kExitNoListing;
    }
  }

  if (!ExportCache(platform, settings, state, reporter, ownFolder)) {
    // The listing stays, empty, as the record of a run that found no cache.
    CloseListing(state, reporter, listing);
    // A named cache says where murel looked and for what.
    if (settings.cachePath.empty()) {
      reporter.Error(kErrOpenCache);
    } else if (!settings.quiet) {
      reporter.Error(kErrOpenCache, settings.cachePath, LookedFor(reporter));
    }
    return kExitCacheUnopened;
  }
  return CloseListing(state, reporter, listing) ? kExitOk : kExitNoListing;
}

}  // namespace murel

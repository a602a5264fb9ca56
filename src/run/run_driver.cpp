#include "run/run_driver.h"

#include <future>
#include <optional>
#include <system_error>

#include "base/ascii.h"
#include "base/name_hash.h"
#include "cache/cache_opener.h"
#include "export/cache_export.h"
#include "export/reporter.h"
#include "export/root_guard.h"
#include "export/target_path.h"
#include "export/warc_record.h"
#include "run/about.h"
#include "run/cache_list.h"
#include "run/command_line.h"
#include "run/progress.h"
#include "run/rules_file.h"
#include "run/run_settings.h"
#include "text/messages.h"
#include "text/usage.h"

namespace murel {
namespace {

// murel's folder in the user's cache folder, for what it keeps between runs.
constexpr const char* kOwnFolderName = "murel\\";
constexpr const char* kSealExtension = ".listing";

// Creates every level of the folder `folder` (ending in "\\"), the bare drive first; levels that
// exist, or cannot be made, are passed over (what is written there then fails).
void CreateFolder(Platform& platform, const std::string& folder) {
  for (std::size_t slash = folder.find('\\'); slash != std::string::npos;
       slash = folder.find('\\', slash + 1)) {
    platform.CreateFolder(folder.substr(0, slash));
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

// The archive's writer for "--warc", at the full path `path`; null when it cannot be begun.
std::unique_ptr<WarcWriter> BeginArchive(Platform& platform, const std::string& path) {
  std::unique_ptr<BodyWriter> file = platform.CreateBodyWriter(path);
  if (!file) return nullptr;
  const bool gzip = path.size() > 3 && EqualsNoCase(path.substr(path.size() - 3), ".gz");
  // The path and the time make the record ids of one archive differ from every other's.
  return std::make_unique<WarcWriter>(std::move(file), gzip,
                                      path + "\n" + std::to_string(platform.CurrentTime()));
}

// `text` with its control bytes made "?", so that it stays one line of a record's fields.
std::string OneLine(std::string text) {
  for (char& c : text) {
    if (HoldsControlByte(std::string_view(&c, 1))) c = '?';
  }
  return text;
}

// The archive's first record: the program, and the cache read.
void WriteArchiveInfo(Platform& platform, const std::string& path, const CacheOrigin& origin,
                      WarcWriter& archive) {
  const std::string cachePath = origin.path.empty() ? std::string("(the system's own cache)")
                                                    : platform.DisplayPath(origin.path);
  const std::string fields = "software: " + VersionLine() +
                             "\r\nformat: WARC File Format 1.1\r\ndescription: what a web "
                             "browser cached\r\ncache-format: " +
                             origin.format + "\r\ncache-path: " + OneLine(cachePath) + "\r\n";
  archive.WriteInfo(OneLine(path.substr(path.rfind('\\') + 1)), fields, platform.CurrentTime());
}

// Starts reading the owners of the numbered names (below `prefix`) in the earlier listing
// `listing` on a thread of their own, beside the opening of the cache, which lists the cache
// folder; when no thread can be started, they are read when asked for.
std::future<EarlierOwners> ReadOwnersBeside(Platform& platform, const std::string& listing,
                                            const std::string& prefix) {
  const auto read = [&platform, listing, prefix] {
    return EarlierOwners::Read(platform, listing, prefix);
  };
  try {
    return std::async(std::launch::async, read);
  } catch (const std::system_error&) {
    return std::async(std::launch::deferred, read);
  }
}

// Reads the cache and exports each entry, reporting to the boxes, the progress line and the
// summary; the owners of the numbered names come from `earlier` (none when it is empty). False if
// the cache cannot be opened.
bool ExportCache(Platform& platform, const RunSettings& settings, ExportState& state,
                 BoxReporter& boxes, const std::string& ownFolder,
                 std::future<EarlierOwners>& earlier) {
  EntryMemo memo(platform, ownFolder, settings.exportRoot);
  CacheOrigin origin;
  // The memo keeps no heads, so a run that archives them reads every entry file.
  const std::unique_ptr<CacheReader> reader =
      OpenCache(platform, settings.cachePath, state.archive ? nullptr : &memo, &origin);
  // Taken whether the cache opened or not: the earlier listing is then closed before the new one
  // may take its place (a file open for reading cannot be replaced on Windows).
  const EarlierOwners owners = earlier.valid() ? earlier.get() : EarlierOwners();
  if (!reader) return false;
  // Asked before any entry can break the seal.
  if (owners.Found() && state.seal->Vouches(owners.Size(), owners.Hash())) state.owners = &owners;
  if (state.archive) WriteArchiveInfo(platform, settings.warcPath, origin, *state.archive);
  // A cache that opened may still have nothing to export (a browser cache of redirects only).
  Progress progress(platform, boxes, settings.quiet, platform.DisplayPath(settings.exportRoot));
  Reporters reporters{&boxes, &progress};
  ExportEntries(platform, settings, state, reporters, *reader);
  state.owners = nullptr;
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

// Puts the archive in place; false (after the box) when it could not be written whole.
bool CloseArchive(Platform& platform, ExportState& state, BoxReporter& reporter,
                  const std::string& path) {
  if (!state.archive) return true;
  const bool written = state.archive->Finish(platform.CurrentTime());
  state.archive.reset();
  if (!written) reporter.Error(kErrWarc, path);
  return written;
}

// The run of an export with settings resolved: from the export root's folder to the exit status.
int RunExport(Platform& platform, const RunSettings& settings, BoxReporter& reporter) {
  CreateFolder(platform, settings.exportRoot);
  platform.RemoveFile(settings.exportRoot + kLegacyMemoName);

  const std::string ownFolder = OwnFolder(platform);
  ListingSeal seal(platform, SealPath(ownFolder, settings.exportRoot));
  ExportState state;
  state.seal = &seal;
  // The archive is begun before the listing, so that a run that cannot write it leaves
  // urls.txt as it was.
  if (!settings.warcPath.empty()) {
    state.archive = BeginArchive(platform, settings.warcPath);
    if (!state.archive) {
      reporter.Error(kErrWarc, settings.warcText);
      return kExitNoListing;
    }
  }
  const std::string listing = settings.exportRoot + kListingName;
  std::future<EarlierOwners> earlier;
  if (!settings.listOnly) {
    earlier = ReadOwnersBeside(platform, listing,
                               platform.DisplayPath(settings.exportRoot + kLongUrlDirectory));
  }
  if (!settings.tolvarFormat) {
    state.listing = ListingWriter::Open(platform, listing);
    if (!state.listing) {
      reporter.Error(kErrListing, listing);
      return kExitNoListing;
    }
  }

  if (!ExportCache(platform, settings, state, reporter, ownFolder, earlier)) {
    // An archive of no cache is not put in place of the one that may be there.
    state.archive.reset();
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
  const bool archived = CloseArchive(platform, state, reporter, settings.warcPath);
  if (!CloseListing(state, reporter, listing) || !archived) return kExitNoListing;
  if (state.counts.failed == 0) return kExitOk;
  if (!settings.rulesFound) ReportMissingRules(platform, reporter);
  // Copy failures let the run go on, but the status tells a script that the tree is incomplete,
  // also under "-nm", whose silence otherwise hid them.
  return kExitNotAllExported;
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
  const Unresolved unresolved = ResolveSettings(platform, settings);
  BoxReporter reporter(platform, settings);
  if (unresolved == Unresolved::kExportRoot) {
    reporter.Error(kErrExportRoot, settings.rootText);
    return kExitBadArguments;
  }
  if (unresolved == Unresolved::kArchive) {
    reporter.Error(kErrWarc, settings.warcText);
    return kExitNoListing;
  }
  return RunExport(platform, settings, reporter);
}

}  // namespace murel

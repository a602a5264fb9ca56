#include "export/entry_export.h"

#include <functional>
#include <utility>

#include "base/ascii.h"
#include "base/buffer_limits.h"
#include "export/copy_if_newer.h"
#include "export/directory_chain.h"
#include "export/root_guard.h"
#include "export/target_path.h"

namespace murel {
namespace {

// URLs shorter than this are passed over: no real URL is, and the shortest scheme prefix is longer.
constexpr std::size_t kShortestUrl = 6;

// Counts an entry seen, and how the copy of its content ended: failed whatever the copy gave when
// its archive record failed.
void Count(ExportCounts& counts, CopyOutcome outcome, bool archiveFailed) {
  ++counts.seen;
  switch (archiveFailed ? CopyOutcome::kFailed : outcome) {
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

// Whether the target, not a numbered name itself, may be one: a rule that leads into the folder
// of numbered names.
bool AmongNumberedNames(Platform& platform, const std::string& exportRoot,
                        const std::string& target) {
  // The folder's name without its separator.
  const std::string_view name(kLongUrlDirectory,
                              std::char_traits<char>::length(kLongUrlDirectory) - 1);
  bool named = false;
  for (std::size_t at = exportRoot.size(); !named && at + name.size() <= target.size(); ++at) {
    // The first byte alone turns most places away before the whole name is compared.
    named = AsciiUpper(target[at]) == AsciiUpper(name[0]) &&
            EqualsNoCase(std::string_view(target).substr(at, name.size()), name);
  }
  if (!named) return false;
  const std::string folder = exportRoot + kLongUrlDirectory;
  const std::optional<std::string> full = platform.FullPath(target, kPathBufferSize);
  return !full || StartsWithNoCase(*full + "\\", folder);
}

// Leaves nothing at the target, so that it holds no other URL's bytes: the file there, or the
// page of the folder there. False when something stays.
bool ClearTarget(Platform& platform, const std::string& target) {
  const StoredTarget look = LookAtStoredTarget(platform, target);
  return !look.existing || platform.RemoveFile(look.destination);
}

// Whether the target may hold another URL's bytes than `url`'s: a numbered name that the earlier
// listing does not vouch for, or a name among them.
bool MayHoldAnother(Platform& platform, const ExportOptions& options, const ExportState& state,
                    const std::string& target, const std::string& shown, bool numbered,
                    const std::string& url) {
  if (numbered) return state.owners == nullptr || !state.owners->Holds(shown, url);
  return AmongNumberedNames(platform, options.exportRoot, target);
}

// Runs `step`, which counts the entry, in the order of the entries: after what the copies under
// way count, so that the counts shown during a run are those of a run on one thread.
void InOrder(ExportState& state, std::function<void()> step) {
  if (state.writers != nullptr) {
    state.writers->InOrder(std::move(step));
  } else {
    step();
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
                 Reporter& reporter, CacheEntry& entry) {
  if (!IsSelected(options, entry.url)) {
    InOrder(state, [&state] {
      ++state.counts.seen;
      ++state.counts.notSelected;
    });
    return;
  }
  const unsigned long counter = state.longUrlCounter;
  const std::string target = TargetPath(options.exportRoot, entry.url, options.tolvarFormat,
                                        options.allRules, state.longUrlCounter);
  const bool numbered = state.longUrlCounter != counter;
  const std::string shown = platform.DisplayPath(target);
  // The listing line is written in one go, once the path is known: the file then never holds half
  // a line for an entry whose path could not be formed.
  if (options.listOnly) {
    if (!options.tolvarFormat) state.listing->WriteLine({entry.url});
  } else if (!options.tolvarFormat && state.listing->WriteLine({entry.url, shown})) {
    // A line end made lines of their own, which a later run would read as owners.
    state.ownersSound = false;
  }
  // Failures reported here take their place among those of the copies still under way.
  Reporter& ordered = state.writers != nullptr ? *state.writers : reporter;
  const bool archiveFailed = !entry.refused && state.archive &&
                             state.archive->Add(platform, entry) == ArchiveOutcome::kFailed;
  if (archiveFailed)
    ordered.CopyFailed({ContentPath(entry), entry.url, target, {CopyFault::kNotArchived, ""}});
  if (options.listOnly) {
    InOrder(state, [&state, archiveFailed] {
      ++state.counts.seen;
      ++(archiveFailed ? state.counts.failed : state.counts.exported);
    });
    return;
  }
  const bool inside = StaysInsideRoot(platform, options.exportRoot, target, state.directories);
  const bool foreign = MayHoldAnother(platform, options, state, target, shown, numbered, entry.url);
  if (foreign) {
    // Rules that lead among the numbered names may meet one of this run's.
    if (!numbered) state.ownersSound = false;
    // The earlier listing no longer tells the truth once this name is written.
    if (state.seal != nullptr && !state.seal->Break()) {
      state.ownersSound = false;
      ordered.CopyFailed({ContentPath(entry),
                          entry.url,
                          target,
                          {CopyFault::kCannotWrite, platform.LastErrorText()}});
      InOrder(state, [&state] {
        ++state.counts.seen;
        ++state.counts.failed;
      });
      return;
    }
  }
  // What follows the copy, in the order of the entries: its count, and what another URL left at
  // the target cleared, which must not stay under this URL's line.
  const auto settle = [&platform, &state, foreign, inside, archiveFailed](const std::string& at,
                                                                          CopyOutcome outcome) {
    Count(state.counts, outcome, archiveFailed);
    if (foreign && outcome != CopyOutcome::kCopied && !(inside && ClearTarget(platform, at))) {
      state.ownersSound = false;
    }
  };
  // Only a copy handed over keeps its own copy of the target for it, and only when what another
  // URL left there may have to be cleared: an entry settled here (every one of an unchanged
  // re-run), or whose target holds nothing foreign, costs no allocation for it.
  const auto handedDone = [&target, settle, foreign] {
    return [at = foreign ? target : std::string(), settle](CopyOutcome outcome) {
      settle(at, outcome);
    };
  };
  if (entry.refused || !inside) {
    const CopyFault fault = entry.refused ? CopyFault::kUnsafeSource : CopyFault::kOutsideRoot;
    ordered.CopyFailed({ContentPath(entry), entry.url, target, {fault, ""}});
    if (state.writers == nullptr) {
      settle(target, CopyOutcome::kFailed);
      return;
    }
    // Settled in its place, and before anything else is done at its target.
    state.writers->AwaitTarget(target);
    state.writers->Add(
        target, [](Reporter&) { return CopyOutcome::kFailed; }, handedDone());
    return;
  }
  if (state.writers == nullptr) {
    const bool freshFolder =
        MakeDirectoryChain(platform, target, options.exportRoot.size(), state.directories);
    settle(target,
           CopyIfNewer(platform, reporter, entry, options.rawBodies, target, freshFolder, foreign));
    return;
  }
  // The folders are made here, in order; the body is read, decoded and written by a writer.
  state.writers->AwaitTarget(target);
  const bool freshFolder =
      MakeDirectoryChain(platform, target, options.exportRoot.size(), state.directories);
  const bool raw = options.rawBodies;
  // A stored body may be held in memory, as its reader read it, until its copy ends.
  const std::uint64_t held = entry.storedBody ? entry.storedBody->size : 0;
  if (entry.storedBody && !freshFolder && !foreign) {
    // A stored body's target is looked at here, as the reading thread looks at the entry file:
    // one that is up to date is settled without a writer, so a re-run over an unchanged cache
    // hands nothing over, and a writer gets only the copies to make, with the look made.
    if (!state.targetLooks) state.targetLooks = platform.LooksInTurn();
    const StoredTarget look =
        LookAtStoredTarget(platform, target, state.targetLooks->Query(target));
    if (HoldsAsNew(look, *entry.storedBody)) {
      state.writers->InOrder(
          [&state, archiveFailed] { Count(state.counts, CopyOutcome::kUpToDate, archiveFailed); });
      return;
    }
    state.writers->Add(
        target,
        [&platform, entry = std::exchange(entry, CacheEntry()), raw,
         look](Reporter& writerReporter) {
          return CopyOverLooked(platform, writerReporter, entry, raw, look);
        },
        handedDone(), held);
    return;
  }
  state.writers->Add(
      target,
      [&platform, entry = std::exchange(entry, CacheEntry()), raw, target, freshFolder,
       foreign](Reporter& writerReporter) {
        return CopyIfNewer(platform, writerReporter, entry, raw, target, freshFolder, foreign);
      },
      handedDone(), held);
}

}  // namespace murel

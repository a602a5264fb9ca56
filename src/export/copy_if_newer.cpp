#include "export/copy_if_newer.h"

#include <utility>

#include "export/directory_chain.h"
#include "export/stored_body_copy.h"

namespace murel {
namespace {

// Where a local file's copy goes, and what is there: the file at the target, or the page of the
// folder there.
struct TargetLook {
  std::string destination;
  LastWriteTime existing;  ///< What opening the destination gave.
};

// Looks at the target for the copy of a local file. A file there opens, and that one look is all
// a re-run over an unchanged cache needs; only a target that does not open is asked whether it is
// a folder (a link is no folder to enter: the file in the way, replaced by the copy).
TargetLook LookAtTarget(Platform& platform, const std::string& target) {
  const LastWriteTime existing = platform.ReadLastWriteTime(target);
  if (existing.opened || !IsPlainDirectory(platform.QueryAttributes(target))) {
    return {target, existing};
  }
  const std::string page = DirectoryPageOf(target);
  return {page, platform.ReadLastWriteTime(page)};
}

// Whether the cached content with time `source` should replace what `existing` is. Anything we
// cannot compare (no target, a locked one, a time that cannot be read) is copied: a needless copy
// costs little, a missed one leaves the export out of date.
bool TargetIsOlder(std::optional<FileTime> source, const LastWriteTime& existing) {
  if (!existing.opened || !existing.time || !source) return true;
  return *source > *existing.time;
}

// Reports that the content of `entry` did not reach `destination`, and why. A write that failed
// because a folder stands at the destination says so rather than in the system's words.
CopyOutcome Failed(Platform& platform, Reporter& reporter, const CacheEntry& entry,
                   const std::string& destination, CopyReason reason) {
  if (reason.fault == CopyFault::kCannotWrite) {
    const std::optional<FileFacts> facts = platform.QueryFile(destination);
    if (facts && facts->kind == FileKind::kDirectory) reason = {CopyFault::kTargetIsFolder, ""};
  }
  reporter.CopyFailed({ContentPath(entry), entry.url, destination, std::move(reason)});
  return CopyOutcome::kFailed;
}

CopyOutcome CopyLocalFile(Platform& platform, Reporter& reporter, const CacheEntry& entry,
                          const std::string& target, bool always) {
  const std::string& localFile = entry.localFile;
  // Only a regular file is read: a link may lead out of the cache, and opening a pipe or device
  // could wait for ever.
  const SourceFile source = platform.LookAtSource(localFile);
  if (!source.facts) return CopyOutcome::kNoContent;
  if (source.facts->kind != FileKind::kRegular) {
    return Failed(platform, reporter, entry, target, {CopyFault::kNotRegular, ""});
  }
  if (!source.read.opened) return CopyOutcome::kNoContent;
  const TargetLook look = LookAtTarget(platform, target);
  if (!always && !TargetIsOlder(source.read.time, look.existing)) return CopyOutcome::kUpToDate;
  if (platform.CopyReplacing(localFile, look.destination)) return CopyOutcome::kCopied;
  return Failed(platform, reporter, entry, look.destination,
                {CopyFault::kCannotWrite, platform.LastErrorText()});
}

// What writing a stored body to `destination` makes of the copy, reporting a failure.
CopyOutcome Reported(Platform& platform, Reporter& reporter, const CacheEntry& entry,
                     const std::string& destination, BodyCopy copy, CopyReason reason) {
  if (copy == BodyCopy::kWritten) return CopyOutcome::kCopied;
  return Failed(platform, reporter, entry, destination, std::move(reason));
}

// One look at the target tells where the body goes and whether what is there is as new: a re-run
// over an unchanged cache costs a single look per entry.
CopyOutcome CopyOverTarget(Platform& platform, Reporter& reporter, const CacheEntry& entry,
                           bool raw, const std::string& target, bool always) {
  const StoredTarget look = LookAtStoredTarget(platform, target);
  if (!always && HoldsAsNew(look, *entry.storedBody)) return CopyOutcome::kUpToDate;
  return CopyOverLooked(platform, reporter, entry, raw, look);
}

CopyOutcome CopyStoredBody(Platform& platform, Reporter& reporter, const CacheEntry& entry,
                           bool raw, const std::string& target, bool freshFolder, bool always) {
  // In a folder the run made, the target is nearly always free, and creating it is the look:
  // only a name the run wrote itself (the same URL twice, a page that became a folder) is taken.
  if (freshFolder) {
    CopyReason reason;
    const BodyCopy copy = WriteStoredBody(platform, *entry.storedBody, raw, target, true, &reason);
    if (copy != BodyCopy::kNotNew) {
      return Reported(platform, reporter, entry, target, copy, std::move(reason));
    }
  }
  return CopyOverTarget(platform, reporter, entry, raw, target, always);
}

}  // namespace

StoredTarget LookAtStoredTarget(Platform& platform, const std::string& target) {
  return LookAtStoredTarget(platform, target, platform.QueryFile(target));
}

StoredTarget LookAtStoredTarget(Platform& platform, const std::string& target,
                                std::optional<FileFacts> facts) {
  StoredTarget look{target, std::move(facts)};
  if (look.existing && look.existing->kind == FileKind::kDirectory) {
    look.destination = DirectoryPageOf(target);
    look.existing = platform.QueryFile(look.destination);
  }
  return look;
}

// Anything but a regular file (a link, a pipe) is in the way and is replaced, never followed.
bool HoldsAsNew(const StoredTarget& look, const StoredBody& body) {
  return look.existing && look.existing->kind == FileKind::kRegular &&
         look.existing->time >= body.stored;
}

CopyOutcome CopyOverLooked(Platform& platform, Reporter& reporter, const CacheEntry& entry,
                           bool raw, const StoredTarget& look) {
  CopyReason reason;
  const BodyCopy copy =
      WriteStoredBody(platform, *entry.storedBody, raw, look.destination, false, &reason);
  return Reported(platform, reporter, entry, look.destination, copy, std::move(reason));
}

CopyOutcome CopyIfNewer(Platform& platform, Reporter& reporter, const CacheEntry& entry, bool raw,
                        const std::string& target, bool freshFolder, bool always) {
  if (entry.storedBody) {
    return CopyStoredBody(platform, reporter, entry, raw, target, freshFolder, always);
  }
  return CopyLocalFile(platform, reporter, entry, target, always);
}

}  // namespace murel

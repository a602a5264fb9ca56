#include "export/copy_if_newer.h"

#include <utility>

#include "export/directory_chain.h"
#include "export/stored_body_copy.h"

namespace murel {
namespace {

// Whether the cached content with time `source` should replace what is at `target`. Anything we
// cannot compare (no target, a locked one, a time that cannot be read) is copied: a needless copy
// costs little, a missed one leaves the export out of date.
bool TargetIsOlder(Platform& platform, std::optional<FileTime> source, const std::string& target) {
  const LastWriteTime existing = platform.ReadLastWriteTime(target);
  if (!existing.opened || !existing.time || !source) return true;
  return *source > *existing.time;
}

// A name that an earlier entry made a directory holds its page as "__".
std::string Destination(Platform& platform, const std::string& target) {
  // A link there is the file in the way, replaced by the copy: it is never written through.
  if (IsPlainDirectory(platform.QueryAttributes(target))) {
    return target + "\\" + kDirectoryPageName;
  }
  return target;
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
  const std::optional<FileFacts> facts = platform.QueryFile(localFile);
  if (!facts) return CopyOutcome::kNoContent;
  if (facts->kind != FileKind::kRegular) {
    return Failed(platform, reporter, entry, target, {CopyFault::kNotRegular, ""});
  }
  const LastWriteTime source = platform.ReadLastWriteTime(localFile);
  if (!source.opened) return CopyOutcome::kNoContent;
  const std::string destination = Destination(platform, target);
  if (!always && !TargetIsOlder(platform, source.time, destination)) return CopyOutcome::kUpToDate;
  if (platform.CopyReplacing(localFile, destination)) return CopyOutcome::kCopied;
  return Failed(platform, reporter, entry, destination,
                {CopyFault::kCannotWrite, platform.LastErrorText()});
}

// What writing a stored body to `destination` makes of the copy, reporting a failure.
CopyOutcome Reported(Platform& platform, Reporter& reporter, const CacheEntry& entry,
                     const std::string& destination, BodyCopy copy, CopyReason reason) {
  if (copy == BodyCopy::kWritten) return CopyOutcome::kCopied;
  return Failed(platform, reporter, entry, destination, std::move(reason));
}

// One look at the target tells where the body goes and whether what is there is as new: a re-run
// over an unchanged cache costs a single look per entry. Anything but a regular file (a link, a
// pipe) is in the way and is replaced, never followed.
CopyOutcome CopyOverTarget(Platform& platform, Reporter& reporter, const CacheEntry& entry,
                           bool raw, const std::string& target, bool always) {
  const StoredBody& body = *entry.storedBody;
  std::string destination = target;
  std::optional<FileFacts> existing = platform.QueryFile(target);
  if (existing && existing->kind == FileKind::kDirectory) {
    destination = target + "\\" + kDirectoryPageName;
    existing = platform.QueryFile(destination);
  }
  if (!always && existing && existing->kind == FileKind::kRegular &&
      existing->time >= body.stored) {
    return CopyOutcome::kUpToDate;
  }
  CopyReason reason;
  const BodyCopy copy = WriteStoredBody(platform, body, raw, destination, false, &reason);
  return Reported(platform, reporter, entry, destination, copy, std::move(reason));
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

CopyOutcome CopyIfNewer(Platform& platform, Reporter& reporter, const CacheEntry& entry, bool raw,
                        const std::string& target, bool freshFolder, bool always) {
  if (entry.storedBody) {
    return CopyStoredBody(platform, reporter, entry, raw, target, freshFolder, always);
  }
  return CopyLocalFile(platform, reporter, entry, target, always);
}

}  // namespace murel

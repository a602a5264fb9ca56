#include "export/copy_if_newer.h"

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
  if (IsPlainDirectory(platform.GetFileAttributesA(target))) {
    return target + "\\" + kDirectoryPageName;
  }
  return target;
}

CopyOutcome CopyLocalFile(Platform& platform, Reporter& reporter, const std::string& localFile,
                          const std::string& target, bool always) {
  // Only a regular file is read: a link may lead out of the cache, and opening a pipe or device
  // could wait for ever.
  const std::optional<FileFacts> facts = platform.QueryFile(localFile);
  if (!facts) return CopyOutcome::kNoContent;
  if (facts->kind != FileKind::kRegular) {
    reporter.CopyFailed(localFile);
    return CopyOutcome::kFailed;
  }
  const LastWriteTime source = platform.ReadLastWriteTime(localFile);
  if (!source.opened) return CopyOutcome::kNoContent;
  const std::string destination = Destination(platform, target);
  if (!always && !TargetIsOlder(platform, source.time, destination)) return CopyOutcome::kUpToDate;
  if (platform.CopyFileA(localFile, destination)) return CopyOutcome::kCopied;
  reporter.CopyFailed(localFile);
  return CopyOutcome::kFailed;
}

// Reports how writing a stored body ended, and what that makes of the copy.
CopyOutcome Reported(Reporter& reporter, const StoredBody& body, BodyCopy copy) {
  if (copy == BodyCopy::kFailed) reporter.CopyFailed(body.file);
  if (copy == BodyCopy::kNotInBuild) reporter.NotDecodable(body.file);
  return copy == BodyCopy::kWritten ? CopyOutcome::kCopied : CopyOutcome::kFailed;
}

// One look at the target tells where the body goes and whether what is there is as new: a re-run
// over an unchanged cache costs a single look per entry. Anything but a regular file (a link, a
// pipe) is in the way and is replaced, never followed.
CopyOutcome CopyOverTarget(Platform& platform, Reporter& reporter, const StoredBody& body, bool raw,
                           const std::string& target, bool always) {
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
  return Reported(reporter, body, WriteStoredBody(platform, body, raw, destination));
}

CopyOutcome CopyStoredBody(Platform& platform, Reporter& reporter, const StoredBody& body, bool raw,
                           const std::string& target, bool freshFolder, bool always) {
  // In a folder the run made, the target is nearly always free, and creating it is the look:
  // only a name the run wrote itself (the same URL twice, a page that became a folder) is taken.
  if (freshFolder) {
    const BodyCopy copy = WriteStoredBody(platform, body, raw, target, true);
    if (copy != BodyCopy::kNotNew) return Reported(reporter, body, copy);
  }
  return CopyOverTarget(platform, reporter, body, raw, target, always);
}

}  // namespace

CopyOutcome CopyIfNewer(Platform& platform, Reporter& reporter, const CacheEntry& entry, bool raw,
                        const std::string& target, bool freshFolder, bool always) {
  if (entry.storedBody) {
    return CopyStoredBody(platform, reporter, *entry.storedBody, raw, target, freshFolder, always);
  }
  return CopyLocalFile(platform, reporter, entry.localFile, target, always);
}

}  // namespace murel

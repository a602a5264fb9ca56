#include "export/copy_if_newer.h"

#include "export/directory_chain.h"
#include "text/text_lookup.h"

namespace murel {
namespace {

// Whether the cached file with time `source` should replace what is at `target`. Anything we
// cannot compare (no target, a locked one, a time that cannot be read) is copied: a needless copy
// costs little, a missed one leaves the export out of date.
bool TargetIsOlder(Platform& platform, const LastWriteTime& source, const std::string& target) {
  const LastWriteTime existing = platform.ReadLastWriteTime(target);
  if (!existing.opened || !existing.time || !source.time) return true;
  return *source.time > *existing.time;
}

}  // namespace

void CopyIfNewer(Platform& platform, const RunSettings& settings, const std::string& localFile,
                 const std::string& target) {
  const LastWriteTime source = platform.ReadLastWriteTime(localFile);
  if (!source.opened) return;
  std::string destination = target;
  // A name that an earlier entry made a directory holds its page as "__".
  const std::optional<std::uint32_t> attributes = platform.GetFileAttributesA(destination);
  if (attributes && (*attributes & kFileAttributeDirectory) != 0) {
    destination += std::string("\\") + kDirectoryPageName;
  }
  if (!TargetIsOlder(platform, source, destination)) return;
  if (!platform.CopyFileA(localFile, destination)) ReportCopyFailure(platform, settings, localFile);
}

void ReportCopyFailure(Platform& platform, const RunSettings& settings,
                       const std::string& localFile) {
  if (settings.quiet) return;
  platform.MessageBoxA(platform.DisplayPath(localFile),
                       GetText(platform, settings, kErrCopyCaption), BoxIcon::kWarning);
}

}  // namespace murel

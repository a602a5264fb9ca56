#include "cache/chromium/chromium_simple_reader.h"

#include <utility>

#include "cache/chromium/chromium_entry.h"
#include "cache/chromium/simple_entry_file.h"
#include "cache/core/entry_file_walk.h"

namespace murel {
namespace {

// Reads one open "_0" file into `entry`; false for a file that is damaged, never closed or not
// exported.
bool ReadEntryFile(ReadableFile& file, const std::string& path, CacheEntry& entry) {
  SimpleEntryFile parts(file);
  if (!parts.ReadKey() || !parts.ReadStream0()) return false;
  StoredBody body;
  body.file = path;
  body.offset = parts.BodyOffset();
  body.size = parts.BodySize();
  // The body is checked last, and only for an entry that is exported: it is most of the file.
  return ToExportedEntry(parts.Key(), parts.Stream0().data(), parts.Stream0().size(),
                         std::move(body), entry) &&
         parts.BodyMatches();
}

}  // namespace

std::unique_ptr<CacheReader> OpenChromiumSimpleReader(Platform& platform, const std::string& folder,
                                                      std::shared_ptr<OpenedFolder> opened,
                                                      EntryMemo* memo) {
  return WalkEntryFiles(platform, folder, std::move(opened), &IsSimpleEntryFileName, &ReadEntryFile,
                        memo);
}

}  // namespace murel

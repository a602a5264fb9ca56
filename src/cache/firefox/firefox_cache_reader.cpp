#include "cache/firefox/firefox_cache_reader.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <vector>

#include "base/ascii.h"
#include "cache/core/entry_file_walk.h"
#include "cache/firefox/firefox_entry.h"

namespace murel {
namespace {

// An entry file is named by the SHA-1 of its key in hexadecimal (upper case from Firefox).
bool IsEntryName(std::string_view name) { return name.size() == 40 && IsHexDigits(name, true); }

bool IsNamedEntries(const std::string& folder) {
  const std::size_t slash = folder.rfind('\\');
  std::string name = folder.substr(slash == std::string::npos ? 0 : slash + 1);
  std::transform(name.begin(), name.end(), name.begin(), [](char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  });
  return name == "entries";
}

// The entries folder for the folder the user named (`folder`, held open as `named`), opened:
// the levels below it are opened one from the other, never through a link. Its path goes to
// `path`.
std::shared_ptr<OpenedFolder> EntriesFolder(std::shared_ptr<OpenedFolder> named,
                                            const std::string& folder, std::string& path) {
  if (!named) return nullptr;
  if (const std::unique_ptr<OpenedFolder> cache2 = named->OpenSubfolder("cache2")) {
    if (std::shared_ptr<OpenedFolder> entries = cache2->OpenSubfolder("entries")) {
      path = folder + "\\cache2\\entries";
      return entries;
    }
  }
  if (std::shared_ptr<OpenedFolder> entries = named->OpenSubfolder("entries")) {
    path = folder + "\\entries";
    return entries;
  }
  path = folder;
  return IsNamedEntries(folder) ? named : nullptr;
}

}  // namespace

std::unique_ptr<CacheReader> OpenFirefoxCache(Platform& platform, const std::string& folder,
                                              EntryMemo* memo,
                                              std::shared_ptr<OpenedFolder> opened) {
  std::string entriesPath;
  std::shared_ptr<OpenedFolder> entries =
      EntriesFolder(opened ? opened : platform.OpenFolder(folder), folder, entriesPath);
  if (!entries) return nullptr;
  auto reader = std::make_shared<FirefoxEntryReader>();
  return WalkEntryFiles(
      platform, entriesPath, std::move(entries), &IsEntryName,
      [reader](ReadableFile& file, const std::string& path, CacheEntry& entry) {
        return reader->Read(file, path, entry);
      },
      memo);
}

}  // namespace murel

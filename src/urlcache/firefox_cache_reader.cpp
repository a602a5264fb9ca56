#include "urlcache/firefox_cache_reader.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <vector>

#include "urlcache/cache_folder.h"
#include "urlcache/entry_file_walk.h"
#include "urlcache/firefox_entry.h"

namespace murel {
namespace {

// An entry file is named by the SHA-1 of its key in hexadecimal (upper case from Firefox).
bool IsEntryName(const std::string& name) {
  return name.size() == 40 && std::all_of(name.begin(), name.end(), [](char c) {
           return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
         });
}

bool IsNamedEntries(const std::string& folder) {
  const std::size_t slash = folder.rfind('\\');
  std::string name = folder.substr(slash == std::string::npos ? 0 : slash + 1);
  std::transform(name.begin(), name.end(), name.begin(), [](char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  });
  return name == "entries";
}

// The entries folder for what the user named: the levels below it must be real folders.
std::optional<std::string> EntriesFolder(Platform& platform, const std::string& folder) {
  CacheFolders folders(platform);
  if (folders.IsRealFolder(folder + "\\cache2") &&
      folders.IsRealFolder(folder + "\\cache2\\entries")) {
    return folder + "\\cache2\\entries";
  }
  if (folders.IsRealFolder(folder + "\\entries")) return folder + "\\entries";
  if (IsNamedEntries(folder)) return folder;
  return std::nullopt;
}

}  // namespace

std::unique_ptr<CacheReader> OpenFirefoxCache(Platform& platform, const std::string& folder,
                                              EntryMemo* memo) {
  const std::optional<std::string> entries = EntriesFolder(platform, folder);
  if (!entries) return nullptr;
  auto reader = std::make_shared<FirefoxEntryReader>();
  return WalkEntryFiles(
      platform, *entries, &IsEntryName,
      [reader](ReadableFile& file, const std::string& path, CacheEntry& entry) {
        return reader->Read(file, path, entry);
      },
      memo);
}

}  // namespace murel

#include "run/cache_list.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "cache/cache_finder.h"
#include "run/run_driver.h"
#include "text/control_escape.h"
#include "text/text_lookup.h"

namespace murel {
namespace {

// Folders nested deeper than this are not counted: no cache nests so deep, and a bound keeps a
// strange tree from taking the walk far.
constexpr int kMaxFolderDepth = 8;

// The bytes of the regular files in `folder` and below it; links are not followed.
std::uint64_t FolderSize(Platform& platform, const std::string& folder, int depth = 0) {
  std::uint64_t total = 0;
  for (const FolderItem& item :
       platform.ListFolder(folder, true).value_or(std::vector<FolderItem>())) {
    if (!item.facts) continue;
    if (item.facts->kind == FileKind::kRegular) total += item.facts->size;
    if (item.facts->kind == FileKind::kDirectory && depth < kMaxFolderDepth) {
      total += FolderSize(platform, folder + "\\" + item.name, depth + 1);
    }
  }
  return total;
}

// Reads the whole cache to count its entries, those passed over included.
std::uint64_t CountEntries(CacheReader& reader) {
  std::uint64_t count = 0;
  CacheEntry entry;
  while (reader.Next(entry)) ++count;
  return count + reader.PassedOver();
}

// One cache of the list, its columns made while it is open.
struct ListedCache {
  std::string format;
  std::uint64_t entries = 0;
  std::string size;
  std::string path;
};

ListedCache Listed(Platform& platform, FoundCache& cache) {
  ListedCache listed;
  listed.format = cache.format->name;
  listed.entries = CountEntries(*cache.reader);
  listed.size =
      cache.path.empty() ? std::string("-") : ReadableSize(FolderSize(platform, cache.path));
  // A folder name may hold a line feed or another control byte: escaped, the cache keeps to its
  // one line for a reader of the list as for a script that reads it through a pipe.
  listed.path =
      cache.path.empty() ? "(without -c)" : EscapeControlBytes(platform.DisplayPath(cache.path));
  return listed;
}

// The list, one cache a line, its format column as wide as the longest format name in it.
std::string Lines(const std::vector<ListedCache>& caches) {
  std::size_t width = 0;
  for (const ListedCache& cache : caches) width = std::max(width, cache.format.size());
  std::string text;
  for (const ListedCache& cache : caches) {
    char counts[64];
    std::snprintf(counts, sizeof counts, " %8llu entries %10s  ",
                  static_cast<unsigned long long>(cache.entries), cache.size.c_str());
    if (!text.empty()) text += '\n';
    text += cache.format + std::string(width - cache.format.size(), ' ') + counts + cache.path;
  }
  return text;
}

}  // namespace

std::string ReadableSize(std::uint64_t bytes) {
  if (bytes < 1024) return std::to_string(bytes) + " B";
  const char* units[] = {"KB", "MB", "GB", "TB"};
  double value = static_cast<double>(bytes) / 1024;
  std::size_t unit = 0;
  while (value >= 1024 && unit + 1 < sizeof units / sizeof units[0]) {
    value /= 1024;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %s", value, units[unit]);
  return text;
}

int ListCaches(Platform& platform, const TextOptions& options) {
  Texts texts(platform, options);
  // Each cache is counted while it is open, and closed before the next one opens.
  std::vector<ListedCache> caches;
  const std::size_t found = ForEachUserCache(
      platform, [&](FoundCache& cache) { caches.push_back(Listed(platform, cache)); });
  if (found == 0) {
    platform.ShowMessage(texts.Shown(kListNone), texts.Shown(kListCaption), BoxIcon::kNone);
    return kExitCacheUnopened;
  }
  platform.ShowMessage(Lines(caches), texts.Shown(kListCaption), BoxIcon::kNone);
  return kExitOk;
}

}  // namespace murel

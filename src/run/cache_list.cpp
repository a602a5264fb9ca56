#include "run/cache_list.h"

#include <cstdio>

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

std::string Line(Platform& platform, FoundCache& cache) {
  const std::string format = cache.format->name;
  const std::string size =
      cache.path.empty() ? std::string("-") : ReadableSize(FolderSize(platform, cache.path));
  // A folder name may hold a line feed or another control byte: escaped, the cache keeps to its
  // one line for a reader of the list as for a script that reads it through a pipe.
  const std::string path =
      cache.path.empty() ? "(without -c)" : EscapeControlBytes(platform.DisplayPath(cache.path));
  char head[64];
  std::snprintf(head, sizeof head, "%-9s %8llu entries %10s  ", format.c_str(),
                static_cast<unsigned long long>(CountEntries(*cache.reader)), size.c_str());
  return head + path;
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
  std::string text;
  const std::size_t found = ForEachUserCache(platform, [&](FoundCache& cache) {
    text += (text.empty() ? "" : "\n") + Line(platform, cache);
  });
  if (found == 0) {
    platform.ShowMessage(texts.Shown(kListNone), texts.Shown(kListCaption), BoxIcon::kNone);
    return kExitCacheUnopened;
  }
  platform.ShowMessage(text, texts.Shown(kListCaption), BoxIcon::kNone);
  return kExitOk;
}

}  // namespace murel

#include "cache/cachestorage/chromium_store_reader.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "cache/cachestorage/chromium_cache_metadata.h"
#include "cache/cachestorage/chromium_store_index.h"
#include "cache/cachestorage/store_entries.h"
#include "cache/chromium/simple_entry_file.h"
#include "cache/core/file_range.h"
#include "cache/core/http_head.h"
#include "cache/core/sorted_names.h"

namespace murel {
namespace {

// Real indexes list a few caches in a few hundred bytes.
constexpr std::size_t kMaxIndexSize = std::size_t{1} << 20;

// An origin's folder: 40 lower-case hex digits (a SHA-1 of the origin).
bool IsOriginFolderName(std::string_view name) {
  return name.size() == 40 && std::all_of(name.begin(), name.end(), [](char c) {
           return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
         });
}

// The names in `path` that `take` takes, sorted.
std::vector<std::string> NamesIn(Platform& platform, const std::string& path,
                                 bool (*take)(std::string_view)) {
  const SortedNames sorted = SortedNames::List(platform, path, take).value_or(SortedNames());
  std::vector<std::string> names;
  names.reserve(sorted.Size());
  for (std::size_t i = 0; i < sorted.Size(); ++i) names.emplace_back(sorted[i]);
  return names;
}

// Chrome times count microseconds since 1601, FILETIME 100-nanosecond units since 1601.
FileTime ToFileTime(std::int64_t chromeTime) {
  if (chromeTime <= 0) return 0;
  const auto micro = static_cast<std::uint64_t>(chromeTime);
  return micro > UINT64_MAX / 10 ? UINT64_MAX : micro * 10;
}

// The caches an origin's index lists; empty when it is missing or damaged.
std::vector<ChromiumStoreCache> CachesOf(OpenedFolder& origin) {
  const std::unique_ptr<ReadableFile> file = origin.OpenName("index.txt");
  std::vector<unsigned char> bytes;
  if (!file || file->Facts().size > kMaxIndexSize ||
      !ReadRange(*file, 0, static_cast<std::size_t>(file->Facts().size), bytes)) {
    return {};
  }
  return ParseChromiumStoreIndex({reinterpret_cast<const char*>(bytes.data()), bytes.size()})
      .value_or(std::vector<ChromiumStoreCache>());
}

// The entry that one open entry file of a cache gives, if it is exported.
std::optional<CacheEntry> ReadEntry(ReadableFile& file) {
  SimpleEntryFile parts(file);
  if (!parts.ReadKey() || !parts.ReadStream0()) return std::nullopt;
  const std::vector<unsigned char>& stream0 = parts.Stream0();
  std::optional<ChromiumCacheMetadata> meta =
      ParseChromiumCacheMetadata({reinterpret_cast<const char*>(stream0.data()), stream0.size()});
  if (!meta || meta->method != "GET" || !IsExportableStatus(meta->status) || !parts.BodyMatches()) {
    return std::nullopt;
  }
  CacheEntry entry;
  entry.url = parts.Key();
  entry.head = StoredHead(meta->status, meta->statusText, meta->headers);
  StoredBody body;
  body.offset = parts.BodyOffset();
  body.size = parts.BodySize();
  body.stored = ToFileTime(meta->stored);
  entry.storedBody = std::move(body);
  return entry;
}

// Adds the entries of one cache folder (full path `path`) to `entries`.
void ReadCache(Platform& platform, const std::shared_ptr<OpenedFolder>& cache,
               const std::string& path, StoreEntries& entries) {
  for (const std::string& name : NamesIn(platform, path, &IsSimpleEntryFileName)) {
    const std::unique_ptr<ReadableFile> file = cache->OpenName(name);
    if (!file) continue;
    std::optional<CacheEntry> entry = ReadEntry(*file);
    if (!entry) {
      entries.PassOver();
      continue;
    }
    entry->storedBody->file = path + "\\" + name;
    // The body is opened again from the cache's folder when it is copied, and only if the file
    // still has the size it had when its parts were checked.
    const std::uint64_t size = file->Facts().size;
    entry->storedBody->open = [cache, name, size]() -> std::shared_ptr<ReadableFile> {
      std::unique_ptr<ReadableFile> again = cache->OpenName(name);
      if (!again || again->Facts().size != size) return nullptr;
      return again;
    };
    entries.Add(std::move(*entry));
  }
}

// Reads the store `store` (full path `path`) whole; null when it has no origin with an index.
std::unique_ptr<CacheReader> ReadStore(Platform& platform, OpenedFolder& store,
                                       const std::string& path) {
  StoreEntries entries;
  bool found = false;
  for (const std::string& name : NamesIn(platform, path, &IsOriginFolderName)) {
    const std::shared_ptr<OpenedFolder> origin = store.OpenSubfolder(name);
    if (!origin || !origin->QueryName("index.txt")) continue;
    found = true;
    for (const ChromiumStoreCache& cache : CachesOf(*origin)) {
      const std::shared_ptr<OpenedFolder> folder = origin->OpenSubfolder(cache.folder);
      if (folder) {
        ReadCache(platform, folder, path + "\\" + name + "\\" + cache.folder, entries);
      }
    }
  }
  if (!found) return nullptr;
  return std::move(entries).Reader();
}

}  // namespace

std::unique_ptr<CacheReader> OpenChromiumStore(Platform& platform, const std::string& folder,
                                               std::shared_ptr<OpenedFolder> opened) {
  // The store's place below the folders a user is likely to name.
  return ReadFirstStore(platform, folder, std::move(opened),
                        {{},
                         {"CacheStorage"},
                         {"Service Worker", "CacheStorage"},
                         {"Default", "Service Worker", "CacheStorage"}},
                        &ReadStore);
}

}  // namespace murel

#include "cache/cachestorage/chromium_store_index.h"

#include "cache/cachestorage/protobuf_reader.h"
#include "cache/core/cache_folder.h"

namespace murel {
namespace {

constexpr std::uint32_t kIndexCache = 1;
constexpr std::uint32_t kCacheName = 1;
constexpr std::uint32_t kCacheFolder = 2;

std::optional<ChromiumStoreCache> ParseCache(std::string_view message) {
  ChromiumStoreCache cache;
  ProtoReader reader(message);
  ProtoField field;
  while (reader.Next(field)) {
    if (!field.delimited) continue;
    if (field.number == kCacheName) cache.name = field.bytes;
    if (field.number == kCacheFolder) cache.folder = field.bytes;
  }
  if (reader.Damaged() || !IsPlainName(cache.folder)) return std::nullopt;
  return cache;
}

}  // namespace

std::optional<std::vector<ChromiumStoreCache>> ParseChromiumStoreIndex(std::string_view index) {
  std::vector<ChromiumStoreCache> caches;
  ProtoReader reader(index);
  ProtoField field;
  while (reader.Next(field)) {
    if (field.number != kIndexCache || !field.delimited) continue;
    std::optional<ChromiumStoreCache> cache = ParseCache(field.bytes);
    if (!cache) return std::nullopt;
    caches.push_back(std::move(*cache));
  }
  if (reader.Damaged()) return std::nullopt;
  return caches;
}

}  // namespace murel

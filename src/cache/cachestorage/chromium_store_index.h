// The index of one origin's caches in Chromium's CacheStorage ("index.txt").
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace murel {

/// One cache of an origin: the name the page gave it, and the folder that holds its entries.
struct ChromiumStoreCache {
  std::string name;
  std::string folder;  ///< A plain name (see IsPlainName): the folder below the origin's.
};

/// The caches that an origin's "index.txt" (a protocol buffer: repeated field 1 = a cache with
/// its name in field 1 and its folder in field 2) lists, in its order. Empty when the index is
/// damaged or a cache has no folder that is a plain name: such an origin is not read at all.
std::optional<std::vector<ChromiumStoreCache>> ParseChromiumStoreIndex(std::string_view index);

}  // namespace murel

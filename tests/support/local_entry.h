// A cache entry whose content is a local file, as the WinINet readers deliver it.
#pragma once

#include <string>

#include "cache/core/cache_entry.h"

namespace murel {

inline CacheEntry LocalEntry(const std::string& url, const std::string& localFile) {
  CacheEntry entry;
  entry.url = url;
  entry.localFile = localFile;
  return entry;
}

inline CacheEntry LocalEntry(const std::string& localFile) { return LocalEntry("", localFile); }

}  // namespace murel

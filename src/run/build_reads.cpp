#include "run/build_reads.h"

#include "cache/cachestorage/firefox_store_reader.h"
#include "cache/chromium/chromium_sql_reader.h"
#include "export/content_decoder.h"

namespace murel {

std::vector<ReadAbility> CacheFormatsKnown() {
  return {
      {"WinINet index.dat", true},
      {"Chromium simple", true},
      {"Chromium blockfile", true},
      {"Chromium SQL", CanReadChromiumSql()},
      {"Firefox cache2", true},
      {"Chromium CacheStorage", true},
      {"Firefox CacheStorage", CanReadFirefoxStore()},
  };
}

std::vector<ReadAbility> ContentCodingsKnown() {
  std::vector<ReadAbility> codings;
  for (const char* coding : {"gzip", "deflate", "br", "zstd"}) {
    codings.push_back({coding, CanUndoCoding(coding)});
  }
  return codings;
}

std::string JoinNames(const std::vector<ReadAbility>& abilities, bool inBuild) {
  std::string names;
  for (const ReadAbility& ability : abilities) {
    if (ability.inBuild != inBuild) continue;
    if (!names.empty()) names += ", ";
    names += ability.name;
  }
  return names;
}

}  // namespace murel

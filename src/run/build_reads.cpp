#include "run/build_reads.h"

#include "cache/cache_formats.h"
#include "export/content_decoder.h"

namespace murel {

std::vector<ReadAbility> CacheFormatsKnown() {
  std::vector<ReadAbility> kinds;
  for (const CacheFormat& format : CacheFormats()) {
    for (const CacheKind& kind : format.kinds) kinds.push_back({kind.name, kind.inBuild});
  }
  return kinds;
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

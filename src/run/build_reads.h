// What a build reads: the one list that the version box, the help and the man page show.
#pragma once

#include <string>
#include <vector>

namespace murel {

/// A cache format or a content coding that murel knows, and whether this build reads it.
struct ReadAbility {
  const char* name;  ///< As shown: "Chromium SQL", "br".
  bool inBuild;
};

/// The kinds of cache murel knows, each format's (CacheFormats) in the order shown, with whether
/// this build reads them as the formats say (the SQL cache needs the SQLite library).
std::vector<ReadAbility> CacheFormatsKnown();

/// The content codings murel knows, in the order shown. Whether this build undoes one is asked
/// of the content decoder (br and zstd need their libraries).
std::vector<ReadAbility> ContentCodingsKnown();

/// The names of `abilities` that are in this build (or, with `inBuild` false, those that are
/// not), joined by ", "; empty when there is none.
std::string JoinNames(const std::vector<ReadAbility>& abilities, bool inBuild = true);

}  // namespace murel

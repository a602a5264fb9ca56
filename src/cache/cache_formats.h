// The cache formats murel reads: the one list that the opener, the finder, "--version", "--help"
// and the man page are made from.
#pragma once

#include <vector>

#include "cache/core/cache_format.h"

namespace murel {

/// The formats murel reads, in the order a named folder is tried for them and "--version" names
/// them.
const std::vector<CacheFormat>& CacheFormats();

}  // namespace murel

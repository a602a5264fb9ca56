// The description of WinINet's cache (Internet Explorer, Wine): an index.dat and its folders.
#pragma once

#include "cache/core/cache_format.h"

namespace murel {

/// WinINet's cache: kept in the file "index.dat", the system's own cache on Windows, and the
/// default cache of Wine's users on Linux.
CacheFormat WinInetFormat();

}  // namespace murel

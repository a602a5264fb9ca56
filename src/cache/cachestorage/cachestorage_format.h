// The service-worker caches (CacheStorage) of Chromium and Firefox, described as formats.
#pragma once

#include "cache/core/cache_format.h"

namespace murel {

/// Chromium's CacheStorage (see OpenChromiumStore), kept in the profiles' "Service Worker".
CacheFormat ChromiumStoreFormat();

/// Firefox's CacheStorage (see OpenFirefoxStore), kept in the profiles' "storage\default".
CacheFormat FirefoxStoreFormat();

}  // namespace murel

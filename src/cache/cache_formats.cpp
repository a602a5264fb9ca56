#include "cache/cache_formats.h"

#include "cache/cachestorage/cachestorage_format.h"
#include "cache/chromium/chromium_format.h"
#include "cache/firefox/firefox_format.h"
#include "cache/wininet/wininet_format.h"

namespace murel {

const std::vector<CacheFormat>& CacheFormats() {
  // A format is added by its folder and one line here.
  static const std::vector<CacheFormat> formats{
      WinInetFormat(),
      ChromiumFormat(),
      FirefoxFormat(),
      // After the HTTP caches: a profile folder that holds both gives its HTTP cache.
      ChromiumStoreFormat(),
      FirefoxStoreFormat(),
  };
  return formats;
}

}  // namespace murel

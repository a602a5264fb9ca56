// Runs the reader of Firefox's CacheStorage over a store whose database is the input: the
// first two bytes say how much of the rest is the database, the remainder its write-ahead log.
// One body lies in the morgue. The sanitizers catch any read outside the files; the checks below
// catch entries that break the reader's promises. SQLite's own work is bounded by the reader.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "cache/cachestorage/firefox_store_reader.h"
#include "cache/core/http_head.h"
#include "fuzz_check.h"
#include "support/fake_platform.h"

namespace {

const std::string kCache = "C:\\profile\\storage\\default\\http+++h\\cache\\";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::string rest(reinterpret_cast<const char*>(data) + 2, size - 2);
  const std::size_t split = std::min<std::size_t>(rest.size(), data[0] | data[1] << 8);
  murel::FakePlatform fake;
  fake.AddFile(kCache + "caches.sqlite", rest.substr(0, split));
  if (split < rest.size()) fake.AddFile(kCache + "caches.sqlite-wal", rest.substr(split));
  fake.AddFile(kCache + "morgue\\161\\{00000000-0000-0000-0000-0000000000a1}.final",
               std::string("\xFF\x06\x00\x00sNaPpY\x01\x05\x00\x00\x01\x02\x03\x04x", 19));
  const std::unique_ptr<murel::CacheReader> reader =
      murel::OpenFirefoxStore(fake, "C:\\profile", nullptr);
  if (!reader) return 0;
  std::set<std::string> urls;
  for (murel::CacheEntry entry; reader->Next(entry);) {
    murel::FuzzCheck(urls.insert(entry.url).second, "each URL once");
    murel::FuzzCheck(entry.storedBody.has_value() && entry.storedBody->open != nullptr,
                     "a body opened from the store");
    murel::FuzzCheck(entry.head.compare(0, 9, "HTTP/1.1 ") == 0, "a status line");
  }
  return 0;
}

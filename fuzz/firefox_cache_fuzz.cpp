// Runs the Firefox cache reader over one entry file made of the input, in an in-memory cache.
// The first byte chooses whether the file's hashes are set right first (odd) or left as they
// are (even), so that the parsing behind the hash checks is reached as well. The sanitizers
// catch any read outside the file; the checks below catch entries that break the reader's
// promises.
#include <cstddef>
#include <cstdint>
#include <string>

#include "cache/core/entry_url.h"
#include "cache/firefox/firefox_cache_reader.h"
#include "fuzz_check.h"
#include "support/fake_platform.h"
#include "support/firefox_entry_writer.h"

namespace {

const std::string kEntries = "C:\\profile\\cache2\\entries";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::string file(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (data[0] & 1) murel::FixFirefoxHashes(file);
  murel::FakePlatform fake;
  const std::string path = kEntries + "\\0123456789ABCDEF0123456789ABCDEF01234567";
  fake.AddFile(path, file);
  const std::unique_ptr<murel::CacheReader> reader = murel::OpenFirefoxCache(fake, "C:\\profile");
  murel::FuzzCheck(reader != nullptr, "the entries folder opens");
  murel::CacheEntry entry;
  std::size_t delivered = 0;
  while (reader->Next(entry)) {
    murel::FuzzCheck(++delivered == 1, "one file gives at most one entry");
    murel::FuzzCheck(!entry.url.empty() && entry.storedBody.has_value(), "a URL and a body");
    murel::FuzzCheck(murel::HasScheme(entry.url), "the URL names its scheme");
    const murel::StoredBody& body = *entry.storedBody;
    murel::FuzzCheck(body.file == path, "the body lies in the entry's own file");
    murel::FuzzCheck(body.offset == 0 && body.size < file.size(),
                     "the body lies before the metadata");
  }
  return 0;
}

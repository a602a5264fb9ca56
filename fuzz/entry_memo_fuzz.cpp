// Runs a Firefox cache of three entry files with the memo of an earlier run made of the input.
// The first byte chooses whether a header for this cache comes first (odd), so that the lines
// behind it are reached. Whatever the memo holds, every file is delivered or passed over once,
// and the new memo is one that a later run takes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/name_hash.h"
#include "cache/core/entry_memo.h"
#include "cache/firefox/firefox_cache_reader.h"
#include "fuzz_check.h"
#include "support/fake_platform.h"
#include "support/faulty_platform.h"
#include "support/firefox_entry_writer.h"

namespace {

const std::string kEntries = "C:\\profile\\cache2\\entries";
const std::string kOwnFolder = "C:\\own\\";
const std::string kRoot = "C:\\out\\";
constexpr std::size_t kFiles = 3;

// Where the memo of exports of the cache into kRoot lies: named by a hash of both paths.
std::string MemoPath() {
  murel::NameHash name;
  name.Add(kRoot);
  name.Add("\n");
  name.Add(kEntries);
  return kOwnFolder + name.Hex() + ".memo";
}
// Reads the cache with the memo; how many files were delivered or passed over.
std::uint64_t ReadAll(murel::Platform& fake) {
  murel::EntryMemo memo(fake, kOwnFolder, kRoot);
  const std::unique_ptr<murel::CacheReader> reader =
      murel::OpenFirefoxCache(fake, "C:\\profile", &memo);
  std::uint64_t delivered = 0;
  for (murel::CacheEntry entry; reader->Next(entry);) ++delivered;
  memo.Save();
  return delivered + reader->PassedOver();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  murel::FakePlatform fake;
  for (std::size_t i = 0; i < kFiles; ++i) {
    murel::FirefoxEntryPlan plan;
    plan.key = ":http://h/" + std::to_string(i);
    fake.AddFile(kEntries + "\\" + std::string(39, 'A') + static_cast<char>('0' + i),
                 murel::FirefoxEntryFile(plan), 1000 + i);
  }
  fake.now = 1000000000;
  std::string memo(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (data[0] & 1) memo = "murel entry memo 1\t100000000\t" + kEntries + "\n" + memo;
  fake.AddFile(MemoPath(), memo);
  murel::FuzzCheck(ReadAll(fake) == kFiles, "every file delivered or passed over once");
  murel::FaultyPlatform logged(fake);
  murel::FuzzCheck(ReadAll(logged) == kFiles, "every file delivered or passed over once again");
  for (const std::string& call : logged.log) {
    murel::FuzzCheck(call.rfind("OpenFileForReading " + kEntries, 0) != 0,
                     "a run after one that read the files finds them all in its memo");
  }
  return 0;
}

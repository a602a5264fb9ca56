// Feeds arbitrary profile text to the section and value readers, with a section name, a key and
// a section buffer size taken from the input. What they return must fit the buffers they stand
// for.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "platform/profile_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string section = input.ConsumeRandomLengthString(64);
  const std::string key = input.ConsumeRandomLengthString(64);
  const std::size_t capacity = input.ConsumeIntegralInRange<std::size_t>(0, 4096);
  const std::string text = input.ConsumeRemainingBytesAsString();

  std::size_t used = 0;
  for (const std::string& entry : murel::ProfileSection(text, section, capacity)) {
    murel::FuzzCheck(!entry.empty(), "an empty section entry");
    murel::FuzzCheck(entry.find('\n') == std::string::npos, "an entry spans lines");
    used += entry.size() + 1;
  }
  murel::FuzzCheck(used <= capacity, "section entries over the buffer");
  murel::FuzzCheck(murel::ProfileString(text, section, key).size() <= 499, "value over 499");
  return 0;
}

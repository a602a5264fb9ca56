// Feeds arbitrary profile text to the section and value readers, with a section name, a key, a
// section buffer size and a chunk size taken from the input. What they return must fit the
// buffers they stand for, and a text given in chunks (as a file is read) must read as the whole.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "platform/profile_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string section = input.ConsumeRandomLengthString(64);
  const std::string key = input.ConsumeRandomLengthString(64);
  const std::size_t capacity = input.ConsumeIntegralInRange<std::size_t>(0, 4096);
  const std::size_t chunk = input.ConsumeIntegralInRange<std::size_t>(1, 64);
  const std::string text = input.ConsumeRemainingBytesAsString();

  const std::vector<std::string> entries = murel::ProfileSection(text, section, capacity);
  std::size_t used = 0;
  for (const std::string& entry : entries) {
    murel::FuzzCheck(!entry.empty(), "an empty section entry");
    murel::FuzzCheck(entry.find('\n') == std::string::npos, "an entry spans lines");
    used += entry.size() + 1;
  }
  murel::FuzzCheck(used <= capacity, "section entries over the buffer");
  for (const std::string& value : murel::ProfileStrings(text, section, {key, "a", key})) {
    murel::FuzzCheck(value.size() <= 499, "value over 499");
  }

  murel::SectionEntries chunked(section, capacity);
  murel::ProfileLineSplitter splitter(chunked);
  bool more = true;
  for (std::size_t at = 0; more && at < text.size(); at += chunk) {
    more = splitter.Feed(std::string_view(text).substr(at, chunk));
  }
  if (more) splitter.Finish();
  murel::FuzzCheck(chunked.TakeEntries() == entries, "chunks read unlike the whole text");
  return 0;
}

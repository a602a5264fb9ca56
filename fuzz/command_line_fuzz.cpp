// Feeds arbitrary bytes to the command-line parser as the tail, on the fake platform, and shows
// the refusal box. The parser must refuse a text over its buffer rather than keep it, and the
// tail formed again from split arguments must parse without fault.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "run/command_line.h"
#include "run/command_tail.h"
#include "support/fake_platform.h"
#include "text/text_lookup.h"

namespace {

void ParseAndReport(const std::string& tail) {
  murel::FakePlatform platform;
  murel::RunSettings settings;
  const murel::ParsedCommandLine parsed = murel::ParseCommandLine(tail, platform, settings);
  murel::ReportRefusal(platform, settings, parsed);
  if (parsed.outcome == murel::ParseOutcome::kRun) {
    murel::FuzzCheck(tail.size() <= murel::kMaxTailLength, "an over-long tail was taken");
    murel::FuzzCheck(settings.rootText.size() <= murel::kMaxRootTextLength, "root over buffer");
    murel::FuzzCheck(settings.urlFilter.size() <= murel::kMaxFilterLength, "filter over buffer");
  }
  for (const murel::FakePlatform::Box& box : platform.boxes) {
    murel::FuzzCheck(box.text.size() <= murel::kMaxShownText, "box text over its buffer");
  }
}

// The bytes split at NULs, as the arguments of a POSIX command line.
std::vector<std::string> Arguments(const std::string& bytes) {
  std::vector<std::string> args;
  std::size_t start = 0;
  for (std::size_t nul = bytes.find('\0'); nul != std::string::npos;
       nul = bytes.find('\0', start)) {
    args.push_back(bytes.substr(start, nul - start));
    start = nul + 1;
  }
  args.push_back(bytes.substr(start));
  return args;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  ParseAndReport(bytes);
  ParseAndReport(murel::FormCommandTail(Arguments(bytes)));
  return 0;
}

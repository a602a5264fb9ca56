// Forms target paths from arbitrary URLs and rules under export roots of several kinds. A path
// longer than the limit must take a numbered name under the root, and the root guard must answer
// for whatever comes out.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "export/root_guard.h"
#include "export/target_path.h"
#include "fuzz_check.h"
#include "platform/profile_text.h"
#include "support/fake_platform.h"

namespace {

constexpr std::size_t kMaxInput = 8192;

// Roots as the run driver makes them: absolute, ending in "\"; the last one as long as allowed.
std::string PickRoot(FuzzedDataProvider& input) {
  switch (input.ConsumeIntegralInRange(0, 3)) {
    case 0:
      return "C:\\out\\";
    case 1:
      return "D:\\a b\\c.d\\";
    case 2:
      return "\\\\server\\share\\x\\";
    default:
      return "C:\\" + std::string(287, 'r') + "\\";
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > kMaxInput) return 0;
  FuzzedDataProvider input(data, size);
  const std::string root = PickRoot(input);
  const bool tolvar = input.ConsumeBool();
  unsigned long counter = input.ConsumeIntegral<std::uint16_t>();
  const std::string url = input.ConsumeRandomLengthString(4000);
  murel::RuleSet rules;
  murel::LoadRuleSet(murel::ProfileSection(input.ConsumeRemainingBytesAsString(), "all", 1000000),
                     rules);

  const unsigned long before = counter;
  const std::string target = murel::TargetPath(root, url, tolvar, rules, counter);
  murel::FuzzCheck(counter == before || counter == before + 1, "counter moved by more than one");
  if (counter != before) {
    murel::FuzzCheck(target.rfind(root + murel::kLongUrlDirectory + std::to_string(before), 0) == 0,
                     "a numbered name lies elsewhere");
  } else {
    murel::FuzzCheck(target.size() <= murel::kMaxTargetPathLength, "a long path kept its name");
  }
  murel::FakePlatform platform;
  murel::StaysInsideRoot(platform, root, target);
  return 0;
}

// Loads rules from arbitrary profile text (section "all") and applies them to an arbitrary path.
// Every rule must end (the run's timeout catches one that does not), and no rule may grow a path
// that fits its buffer past it.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "platform/profile_text.h"
#include "rules/rule_set.h"
#include "run/run_settings.h"

namespace {

// Beyond this size an input only repeats what smaller ones reach, more slowly: each rule may make
// its 10,000 replacements on a path of 2,000 characters.
constexpr std::size_t kMaxInput = 8192;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > kMaxInput) return 0;
  FuzzedDataProvider input(data, size);
  std::string path = input.ConsumeRandomLengthString(murel::kPathBufferSize - 1);
  const std::string text = input.ConsumeRemainingBytesAsString();

  murel::RuleSet rules;
  murel::LoadRuleSet(murel::ProfileSection(text, "all", 1000000), rules);
  for (const murel::Rule& rule : rules.rules) {
    murel::FuzzCheck(!rule.primarySearch.empty(), "a rule with an empty search was loaded");
  }
  murel::ApplyRules(path, rules);
  murel::FuzzCheck(path.size() <= murel::kPathBufferSize - 1,
                   "a rule grew the path past its buffer");
  return 0;
}

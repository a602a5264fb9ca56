// The platform contract on the in-memory fake, so that tests on the fake stand for the real
// platforms.

#include "support/platform_contract.h"

#include <gtest/gtest.h>

#include "support/fake_platform.h"
#include "support/faulty_platform.h"

namespace murel {
namespace {

std::string Folded(const std::string& text) {
  std::string folded = text;
  for (char& c : folded) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return folded;
}

// The names directly in `dir`, from the fake's sorted tree ("path" for files, "path\" for
// folders).
std::vector<std::string> NamesIn(const FakePlatform& fake, const std::string& dir) {
  const std::string prefix = Folded(dir + "\\");
  std::vector<std::string> names;
  for (const std::string& item : fake.Tree()) {
    if (Folded(item.substr(0, prefix.size())) != prefix) continue;
    std::string rest = item.substr(prefix.size());
    if (!rest.empty() && rest.back() == '\\') rest.pop_back();
    if (!rest.empty() && rest.find('\\') == std::string::npos) names.push_back(rest);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The fake behind the fault injection that stands for what it cannot have: a file that no one
// may open. The fake comes first, so that it is made before the platform that forwards to it.
struct FakeHolder {
  FakePlatform fake;
};
class BlockableFake : private FakeHolder, public FaultyPlatform {
 public:
  BlockableFake() : FaultyPlatform(FakeHolder::fake) {}
  FakePlatform& Fake() { return FakeHolder::fake; }
};

ContractSetup MakeFakeContract() {
  auto owned = std::make_unique<BlockableFake>();
  BlockableFake* blockable = owned.get();
  FakePlatform* fake = &owned->Fake();
  ContractSetup setup;
  setup.platform = std::move(owned);
  setup.scratch = "C:\\scratch";
  fake->AddDirectory(setup.scratch);
  // Files that the test writes get AddFile's time, which is the fake's time now.
  fake->now = 1000;
  setup.writeFile = [fake](const std::string& p, const std::string& c) { fake->AddFile(p, c); };
  setup.readFile = [fake](const std::string& p) { return fake->Content(p); };
  setup.setTime = [fake](const std::string& p, FileTime t) {
    fake->AddFile(p, fake->Content(p).value_or(""), t);
  };
  setup.timeOf = [fake](const std::string& p) { return fake->TimeOf(p); };
  setup.listNames = [fake](const std::string& dir) { return NamesIn(*fake, dir); };
  setup.blockReading = [blockable](const std::string& p) {
    blockable->FailOn(FaultyPlatform::Op::kOpenFile, p);
    blockable->FailOn(FaultyPlatform::Op::kCopyReplacing, p);
  };
  return setup;
}

INSTANTIATE_TEST_SUITE_P(Fake, PlatformContract,
                         ::testing::Values(PlatformFactory{"Fake", &MakeFakeContract}),
                         PlatformFactoryName);

}  // namespace
}  // namespace murel

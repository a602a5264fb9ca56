// The behaviour that every Platform must show, as one value-parametrized test suite.
//
// The tests (platform_contract.cpp) are written once; each platform instantiates the suite with a
// factory that makes a fresh platform, an empty scratch folder and the helpers the tests use to
// set up and inspect files without going through the platform under test:
//
//   INSTANTIATE_TEST_SUITE_P(Posix, PlatformContract,
//                            ::testing::Values(PlatformFactory{"Posix", &MakePosixContract}),
//                            PlatformFactoryName);
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace murel {

/// One platform under test with its scratch folder and helpers. Every path handed to or returned
/// by a helper is a Windows-form path as the platform takes it.
struct ContractSetup {
  /// The platform under test.
  std::unique_ptr<Platform> platform;
  /// An existing, empty folder for the test: a full Windows-form path without a trailing "\".
  std::string scratch;
  /// Creates or replaces the file `path` (its folder exists) with the bytes `content`.
  std::function<void(const std::string& path, const std::string& content)> writeFile;
  /// The bytes of the file `path`; empty if it is not a readable file.
  std::function<std::optional<std::string>(const std::string& path)> readFile;
  /// Sets the last-write time of the existing file `path`.
  std::function<void(const std::string& path, FileTime time)> setTime;
  /// The last-write time of the file `path`; empty if it is missing.
  std::function<std::optional<FileTime>(const std::string& path)> timeOf;
  /// The names (not paths) of everything in the folder `dir`, sorted; "." and ".." left out.
  std::function<std::vector<std::string>(const std::string& dir)> listNames;
  /// Makes the existing file `path` impossible for the platform to open for reading, until
  /// `cleanup`. May be null where the platform has no such state (then those tests are skipped).
  std::function<void(const std::string& path)> blockReading;
  /// Undoes what the setup made (scratch folder, blocked files); called after each test. May be
  /// null.
  std::function<void()> cleanup;
};

/// How the suite gets a platform: `name` shows in the test names (Fake, Posix, Win32), `make`
/// builds a fresh setup for each test.
struct PlatformFactory {
  const char* name;
  std::function<ContractSetup()> make;
};

/// Shows a factory by its name in test output.
inline void PrintTo(const PlatformFactory& factory, std::ostream* out) { *out << factory.name; }

/// Names the instances of the suite after their factory.
inline std::string PlatformFactoryName(const ::testing::TestParamInfo<PlatformFactory>& info) {
  return info.param.name;
}

/// The suite. SetUp makes the setup and records the current directory; TearDown restores the
/// current directory and cleans up.
class PlatformContract : public ::testing::TestWithParam<PlatformFactory> {
 protected:
  void SetUp() override;
  void TearDown() override;

  /// `scratch` + "\" + `name`.
  std::string In(const std::string& name) const;
  /// The platform under test.
  Platform& P() { return *setup_.platform; }

  ContractSetup setup_;

 private:
  std::optional<std::string> startDirectory_;
};

}  // namespace murel

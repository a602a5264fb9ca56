// The program's entry point on a POSIX host.

#include <string>
#include <vector>

#include "platform/posix/posix_platform.h"
#include "run/command_tail.h"
#include "run/run_driver.h"

int main(int argc, char** argv) {
  // The run logic parses a Windows command-line tail; the shell has already split the words, so
  // they are joined again in the form that gives them back.
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  murel::PosixPlatform platform;
  return murel::RunMurel(platform, murel::FormCommandTail(args));
}

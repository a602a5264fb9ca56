// Running a program in a child process from the Windows tests.
#pragma once

#include <string>

namespace murel {

/// Runs `commandLine` in a child process whose current directory is `folder` (the test's own when
/// empty) and returns its exit status; -1 if it could not be started or did not end within two
/// minutes.
int RunProcess(const std::string& commandLine, const std::string& folder = "");

}  // namespace murel

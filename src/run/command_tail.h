// Forming the command-line tail again from arguments that the system has already split.
#pragma once

#include <string>
#include <vector>

namespace murel {

/// The tail that, parsed as a Windows command line, gives back what was typed as `args` (the
/// arguments after the program's name): options as they are; the argument after "-c" or "--warc",
/// and the path argument, in double quotes when empty or holding a blank; the remaining arguments
/// joined by single blanks as the URL filter.
std::string FormCommandTail(const std::vector<std::string>& args);

}  // namespace murel

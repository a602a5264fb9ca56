// One export run from the command-line tail to the exit status.
#pragma once

#include <string>

#include "platform/platform.h"

namespace murel {

/// Exit statuses of a run.
enum ExitStatus : int {
  kExitOk = 0,              ///< A run, or the usage box.
  kExitCacheUnopened = 1,   ///< The cache walk cannot be opened.
  kExitBadArguments = 2,    ///< A command line that cannot be taken, or an unusable export root.
  kExitNoListing = 3,       ///< "urls.txt" or the "--warc" archive cannot be written.
  kExitNotAllExported = 4,  ///< The run went through, but a selected entry could not be written.
};

/// Performs one run for the command-line tail `tail` (the text after the program's name, as the
/// Windows start-up code leaves it) and returns the exit status.
int RunMurel(Platform& platform, const std::string& tail);

}  // namespace murel

// What the program tells about itself: its version and the help beyond the usage box.
#pragma once

#include <string>

#include "platform/platform.h"
#include "text/text_options.h"

namespace murel {

/// "murel <version>", the version of this build.
std::string VersionLine();

/// The formats this build reads, as one line.
std::string FormatsLine();

/// Shows the version box: VersionLine as its caption and FormatsLine as its text, no icon.
void ShowVersion(Platform& platform);

/// Shows the usage box that "--help" asks for: the usage text, a blank line, the message
/// "help_more" (the options beyond the usage text and the formats read), a blank line and where
/// the configuration files are looked for (ConfigurationHelp), cut to kMaxShownText characters.
void ShowExtendedHelp(Platform& platform, const TextOptions& settings);

}  // namespace murel

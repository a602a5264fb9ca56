// What the program tells about itself: its version and the help beyond the usage box.
#pragma once

#include <string>

#include "platform/platform.h"
#include "text/text_options.h"

namespace murel {

/// "murel <version>", the version of this build.
std::string VersionLine();

/// What this build reads, in English, from the one list of build_reads.h: "Reads: " and the cache
/// formats, a line "Undoes: " and the content codings, and a line "Not in this build: " with
/// those murel knows but this build lacks, when there are any.
std::string ReadsText();

/// Shows the version box: VersionLine as its caption and ReadsText as its text, no icon.
void ShowVersion(Platform& platform);

/// Shows the usage box that "--help" asks for: the usage text, a blank line, then the message
/// "help_more" (the options beyond the usage text), then the message "help_reads" with the formats
/// and codings this build reads (build_reads.h), a blank line and where the configuration files are
/// looked for (ConfigurationHelp), cut to kMaxShownText characters.
void ShowExtendedHelp(Platform& platform, const TextOptions& settings);

}  // namespace murel

// The usage box: the command line's form and what each option and argument means.
#pragma once

#include <string>

#include "base/buffer_limits.h"
#include "platform/platform.h"
#include "text/text_lookup.h"
#include "text/text_options.h"

namespace murel {

/// The usage text: the command line's form, then "where" and one line for each option and
/// argument, with the texts of `texts`. Cut to kMaxShownText characters.
std::string UsageText(Texts& texts);

/// UsageText with each piece marked with its code page (see Texts::Shown).
ShownText UsageShownText(Texts& texts);

/// Shows the usage box: UsageText with the caption of the message "usage", no icon, and returns
/// when the user closes it.
void ShowUsage(Platform& platform, const TextOptions& settings);

}  // namespace murel

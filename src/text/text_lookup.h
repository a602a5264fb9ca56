// Looking up the texts that the program shows, in the language file or among the built-in ones.
#pragma once

#include <cstddef>
#include <string>

#include "buffer_limits.h"
#include "platform/platform.h"
#include "text/messages.h"
#include "text/text_options.h"

namespace murel {

/// The language file, read relative to the current directory.
inline constexpr const char* kLanguageFile = ".\\murel.lng";

/// The section of the language file that holds the texts.
inline constexpr const char* kLanguageSection = "strings";

/// The text of the message `name`. When `settings.programDir` is known, it first becomes the
/// current directory (and stays so). The lines name + "1", name + "2", ... of the section
/// "strings" of ".\murel.lng" are read up to the first missing or empty one (at most 29, each cut
/// to 499 characters by the profile reader) and joined by "\n"; a line that would take the text
/// past kMaxShownText characters ends it. When no line is found, the result is `fallback`.
std::string GetText(Platform& platform, const TextOptions& settings, const std::string& name,
                    const std::string& fallback);

/// The text of `message`: GetText with its key and its built-in text.
std::string GetText(Platform& platform, const TextOptions& settings, const Message& message);

/// The text of `message` as GetText gives it, marked with its code page: the system's for a
/// text from the language file, Windows-1251 for the built-in one.
ShownText GetShownText(Platform& platform, const TextOptions& settings, const Message& message);

}  // namespace murel

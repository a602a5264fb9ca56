// The language of the user's messages as the POSIX locale variables name it.
#pragma once

#include <string>

namespace murel {

/// The language named by the first of `lcAll`, `lcMessages` and `lang` (the values of LC_ALL,
/// LC_MESSAGES and LANG; null when unset) that is set and not empty: its part before "_", "."
/// or "@", in lower case ("en_US.UTF-8" gives "en"). Empty when none is set, or the first names
/// the C or POSIX locale ("C", "C.UTF-8", "POSIX").
std::string LocaleLanguage(const char* lcAll, const char* lcMessages, const char* lang);

}  // namespace murel

// Splitting Windows-form paths into their parts, by text alone (nothing is looked up on disk).
#pragma once

#include <string>
#include <string_view>

namespace murel {

/// The extension of `path`: the text from its last "." after which neither a "\" nor a blank
/// follows, that "." included, to the end; empty when there is no such ".". Only "\" separates
/// components here: "a.b/c" has the extension ".b/c".
std::string PathFindExtensionA(std::string_view path);

/// `path` without its last component: everything before its last "\" ("C:\out\a" gives
/// "C:\out", "C:\a" gives "C:", "\\srv\share" gives "\\srv"); the empty text when `path` holds no
/// "\". Unlike the shell function of the same name, a root keeps no trailing "\", so that callers
/// can append one to any result alike. Only "\" separates components here.
std::string PathRemoveFileSpecA(std::string_view path);

}  // namespace murel

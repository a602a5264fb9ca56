// What Windows does to a name of a file or folder before it looks it up.
#pragma once

#include <string>
#include <string_view>

namespace murel {

/// True when `name` is made only of dots and blanks (or is empty): "." and ".." move within the
/// tree, and Windows trims trailing dots and blanks, so every such name ends up as one of them or
/// as nothing (the parent). Neither an export target nor a name read from a cache may be one.
inline bool IsOnlyDotsAndBlanks(std::string_view name) {
  return name.find_first_not_of(". ") == std::string_view::npos;
}

/// True when `name` names something one step down from a folder: not empty, not "." or "..", and
/// holding no separator of either form and no NUL (a system's path ends at a NUL, so the name
/// would be another one).
bool IsOneStepName(std::string_view name);

/// `path` as Windows compares names: ASCII case folded, "/" made "\", and the dots and blanks
/// that end a level dropped (Windows drops them when it opens the name). Two paths of one file
/// give the same text.
std::string ComparedPath(std::string_view path);

}  // namespace murel

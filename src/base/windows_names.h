// What Windows does to a name of a file or folder before it looks it up.
#pragma once

#include <string_view>

namespace murel {

/// True when `name` is made only of dots and blanks (or is empty): "." and ".." move within the
/// tree, and Windows trims trailing dots and blanks, so every such name ends up as one of them or
/// as nothing (the parent). Neither an export target nor a name read from a cache may be one.
inline bool IsOnlyDotsAndBlanks(std::string_view name) {
  return name.find_first_not_of(". ") == std::string_view::npos;
}

}  // namespace murel

#include "base/windows_names.h"

#include "base/ascii.h"

namespace murel {
namespace {

// Drops the dots and blanks that end the last level of `name`.
void TrimLevelEnd(std::string& name) {
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
}

}  // namespace

std::string ComparedPath(std::string_view path) {
  std::string name;
  name.reserve(path.size());
  for (const char c : path) {
    if (c == '\\' || c == '/') {
      TrimLevelEnd(name);
      name += '\\';
    } else {
      name += AsciiUpper(c);
    }
  }
  TrimLevelEnd(name);
  return name;
}

}  // namespace murel

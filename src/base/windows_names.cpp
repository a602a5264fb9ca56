#include "base/windows_names.h"

#include "base/ascii.h"

namespace murel {
namespace {

// The length of `name`'s first `size` bytes without the dots and blanks that end them.
std::size_t TrimmedLevelEnd(const std::string& name, std::size_t size) {
  while (size > 0 && (name[size - 1] == '.' || name[size - 1] == ' ')) --size;
  return size;
}

}  // namespace

bool IsOneStepName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         !HoldsAnyOf(name, std::string_view("\\/\0", 3));
}

std::string ComparedPath(std::string_view path) {
  // Written in place: the name never grows past the path, and this runs for every target.
  std::string name(path.size(), '\0');
  std::size_t size = 0;
  for (const char c : path) {
    if (c == '\\' || c == '/') {
      size = TrimmedLevelEnd(name, size);
      name[size++] = '\\';
    } else {
      name[size++] = AsciiUpper(c);
    }
  }
  name.resize(TrimmedLevelEnd(name, size));
  return name;
}

}  // namespace murel

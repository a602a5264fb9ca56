#include "base/windows_names.h"

#include "base/ascii.h"

namespace murel {
namespace {

// The length of `name`'s first `size` bytes without the dots and blanks that end them.
std::size_t TrimmedLevelEnd(const std::string& name, std::size_t size) {
  while (size > 0 && (name[size - 1] == '.' || name[size - 1] == ' ')) --size;
  return size;
}

// Whether `path` is its own compared form but for the case of its letters: no "/", and no level
// ends in a dot or a blank. Most targets are; the levels' ends are found with memchr.
bool IsPlainPath(std::string_view path) {
  if (path.find('/') != std::string_view::npos) return false;
  const auto trimmed = [](char c) { return c == '.' || c == ' '; };
  if (!path.empty() && trimmed(path.back())) return false;
  for (std::size_t at = path.find('\\'); at != std::string_view::npos;
       at = path.find('\\', at + 1)) {
    if (at > 0 && trimmed(path[at - 1])) return false;
  }
  return true;
}

}  // namespace

bool IsOneStepName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         !HoldsAnyOf(name, std::string_view("\\/\0", 3));
}

std::string ComparedPath(std::string_view path) {
  if (IsPlainPath(path)) {
    std::string name(path);
    for (char& c : name) c = AsciiUpper(c);
    return name;
  }
  // Written in place: the name never grows past the path.
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

// Windows-form paths on the host: drive Z: is the root, both separators count.

#include "platform/posix/host_path.h"

#include <cstddef>
#include <string_view>

namespace murel {
namespace {

// "Z:" and its like: a letter and a colon.
constexpr std::size_t kDriveLength = 2;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool HasDrive(const std::string& path) {
  const char c = path.size() >= 2 ? path[0] : '\0';
  return path.size() >= 2 && path[1] == ':' && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'));
}

bool IsDriveZ(const std::string& path) { return path[0] == 'z' || path[0] == 'Z'; }

// The part of `path` that names the place on the host, its separators not yet made "/": all of a
// path without a drive, what follows "Z:" ("." for "Z:" alone). Empty for another drive.
std::optional<std::string_view> HostPart(const std::string& path) {
  if (!HasDrive(path)) return std::string_view(path);
  if (!IsDriveZ(path)) return std::nullopt;
  return path.size() == kDriveLength ? std::string_view(".")
                                     : std::string_view(path).substr(kDriveLength);
}

// Makes every `from` in [begin, end) `to`. Every byte is stored, changed or not, so the compiler
// turns the loop into vector steps: this runs on every path of every entry, more than once.
void ReplaceBytes(char* begin, char* end, char from, char to) {
  for (char* at = begin; at != end; ++at) *at = *at == from ? to : *at;
}

// Assigns `part` to `host` with every "\" made "/".
void AssignWithSlashes(std::string& host, std::string_view part) {
  host.assign(part);
  ReplaceBytes(host.data(), host.data() + host.size(), '\\', '/');
}

// Appends `path` to `full` as normalizing would, when no component of `path` is empty (past a
// leading separator), "." or ".." (nor starts with "."): a "\" and `path` with its separators made
// "\". Most paths are such, and this runs for every level of every target. False, with `full` as it
// was, for any other path.
bool AppendPlain(std::string& full, std::string_view path) {
  const std::string_view rest = path.substr(!path.empty() && IsSeparator(path[0]) ? 1 : 0);
  if (rest.empty() || rest[0] == '.' || IsSeparator(rest[0]) || IsSeparator(rest.back())) {
    return false;
  }
  // Each separator must be followed by the first byte of a plain component (the last byte is none).
  // Every pair of bytes is looked at, with no early end, so that the compiler takes many at a step.
  // Bytes, not bools (which GCC takes one at a time) nor ints (four lanes to the byte's one).
  const auto separator = [](char c) { return (c == '\\') | (c == '/'); };
  unsigned char broken = 0;
  unsigned char slashed = 0;
  for (std::size_t at = 0; at + 1 < rest.size(); ++at) {
    const char next = rest[at + 1];
    broken |= static_cast<unsigned char>(separator(rest[at]) & (separator(next) | (next == '.')));
    slashed |= static_cast<unsigned char>(rest[at] == '/');
  }
  if (broken != 0) return false;
  const std::size_t base = full.size();
  full += '\\';
  full.append(rest);
  if (slashed != 0) ReplaceBytes(full.data() + base, full.data() + full.size(), '/', '\\');
  return true;
}

// Appends to the Windows-form path `full` ("Z:" and components each led by "\") the components of
// `path` with "." dropped, ".." applied and empty ones (repeated separators) merged away. The path
// is absolute, so ".." at the root has nothing to remove. No component holds a separator, so the
// last "\" of `full` starts its last component.
void AppendNormalized(std::string& full, std::string_view path) {
  if (AppendPlain(full, path)) return;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = start;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    const std::size_t size = end - start;
    // "." and ".." by their bytes: this runs for every level of every target.
    const bool dot = size >= 1 && size <= 2 && path[start] == '.';
    if (dot && size == 2 && path[start + 1] == '.') {
      if (full.size() > kDriveLength) full.resize(full.rfind('\\'));
    } else if (size != 0 && !(dot && size == 1)) {
      full += '\\';
      full.append(path, start, size);
    }
    start = end + 1;
  }
}

}  // namespace

std::optional<std::string> HostPathOf(const std::string& path) {
  const std::optional<std::string_view> part = HostPart(path);
  if (!part) return std::nullopt;
  std::string host;
  AssignWithSlashes(host, *part);
  return host;
}

const char* ScratchHostPath(const std::string& path) {
  thread_local std::string scratch;
  const std::optional<std::string_view> part = HostPart(path);
  if (!part) return nullptr;
  AssignWithSlashes(scratch, *part);
  return scratch.c_str();
}

bool IsRootedPath(const std::string& path) {
  if (!HasDrive(path)) return !path.empty() && IsSeparator(path[0]);
  return IsDriveZ(path) && path.size() > kDriveLength && IsSeparator(path[kDriveLength]);
}

std::string WindowsFormOf(const std::string& hostPath) {
  std::string form = "Z:";
  for (char c : hostPath) form += c == '/' ? '\\' : c;
  return form == "Z:" ? "Z:\\" : form;
}

std::optional<std::string> FullWindowsPath(const std::string& path,
                                           const std::string& currentHostDir) {
  // An empty path names nothing, as with the Windows service.
  if (path.empty() || (HasDrive(path) && !IsDriveZ(path))) return std::nullopt;
  std::string full = "Z:";
  // Room for every component with its "\\" and a final one: the path never grows in steps.
  full.reserve(kDriveLength + currentHostDir.size() + path.size() + 2);
  // A relative path, "Z:" alone and "Z:name" go on from the current folder.
  if (!IsRootedPath(path)) AppendNormalized(full, currentHostDir);
  AppendNormalized(full, std::string_view(path).substr(HasDrive(path) ? kDriveLength : 0));
  // A trailing separator names the same folder; Windows keeps it, and so does this.
  if (full.size() == kDriveLength || IsSeparator(path.back())) full += '\\';
  return full;
}

std::string DisplayHostPath(const std::string& path) {
  if (HasDrive(path) && !IsDriveZ(path)) return path;
  return HostPathOf(path).value_or(path);
}

}  // namespace murel

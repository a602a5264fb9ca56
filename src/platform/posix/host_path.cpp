// Windows-form paths on the host: drive Z: is the root, both separators count.

#include "platform/posix/host_path.h"

#include <vector>

namespace murel {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool HasDrive(const std::string& path) {
  const char c = path.size() >= 2 ? path[0] : '\0';
  return path.size() >= 2 && path[1] == ':' && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'));
}

std::string WithSlashes(std::string path) {
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

// The components of `path` with "." dropped, ".." applied and empty ones (repeated separators)
// merged away. The path is absolute, so ".." at the root has nothing to remove.
std::vector<std::string> Normalized(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = start;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    const std::string part = path.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  return parts;
}

}  // namespace

std::optional<std::string> HostPathOf(const std::string& path) {
  if (!HasDrive(path)) return WithSlashes(path);
  if (path[0] != 'z' && path[0] != 'Z') return std::nullopt;
  const std::string rest = path.substr(2);
  return rest.empty() ? std::string(".") : WithSlashes(rest);
}

std::string WindowsFormOf(const std::string& hostPath) {
  std::string form = "Z:";
  for (char c : hostPath) form += c == '/' ? '\\' : c;
  return form == "Z:" ? "Z:\\" : form;
}

std::optional<std::string> FullWindowsPath(const std::string& path,
                                           const std::string& currentHostDir) {
  // An empty path names nothing, as with the Windows service.
  std::optional<std::string> host = path.empty() ? std::nullopt : HostPathOf(path);
  if (!host) return std::nullopt;
  if ((*host)[0] != '/') host = currentHostDir + "/" + *host;

  std::string full = "Z:";
  for (const std::string& part : Normalized(*host)) full += "\\" + part;
  // A trailing separator names the same folder; Windows keeps it, and so does this.
  const bool trailing = !path.empty() && IsSeparator(path.back());
  if (full == "Z:" || trailing) full += '\\';
  return full;
}

std::string DisplayHostPath(const std::string& path) {
  if (HasDrive(path) && path[0] != 'z' && path[0] != 'Z') return path;
  const std::optional<std::string> host = HostPathOf(path);
  return host ? *host : path;
}

}  // namespace murel

#include "export/target_path.h"

#include <string_view>

#include "base/ascii.h"
#include "export/directory_chain.h"
#include "export/path_text.h"

namespace murel {
namespace {

constexpr std::string_view kHttpScheme = "http://";

// The longest text the path buffer holds besides its end mark.
constexpr std::size_t kMaxBufferedLength = kPathBufferSize - 1;

// The URL as it is appended to the root: the tolvar format drops a plain "http://" scheme.
std::string_view UrlPart(std::string_view url, bool tolvarFormat) {
  if (tolvarFormat && StartsWithNoCase(url, kHttpScheme)) url.remove_prefix(kHttpScheme.size());
  return url;
}

bool HasDriveColon(const std::string& exportRoot) {
  return exportRoot.size() >= 2 && exportRoot[1] == ':';
}

// Rules may replace or move the drive colon; the path keeps the root's drive all the same.
void SetDriveColon(std::string& path) {
  if (path.size() >= 2) path[1] = ':';
}

// The final "." of a name is dropped by Windows, and a final separator names no file.
void FixEnd(std::string& path) {
  if (!path.empty() && path.back() == '.') path.back() = '_';
  if (!path.empty() && (path.back() == '/' || path.back() == '\\'))
    path += kDirectoryPageName;  // the directory's own page
}

std::string NumberedName(const std::string& exportRoot, unsigned long& longUrlCounter) {
  return exportRoot + kLongUrlDirectory + std::to_string(longUrlCounter++);
}

}  // namespace

std::string TargetPath(const std::string& exportRoot, const std::string& url, bool tolvarFormat,
                       const RuleSet& allRules, unsigned long& longUrlCounter) {
  const std::string_view urlPart = UrlPart(url, tolvarFormat);
  // Such a text never reaches the rules: they are written for paths within the buffer.
  if (exportRoot.size() + urlPart.size() > kMaxBufferedLength) {
    return NumberedName(exportRoot, longUrlCounter);
  }
  std::string path;
  path.reserve(exportRoot.size() + urlPart.size());
  path.append(exportRoot).append(urlPart);
  const bool driveRoot = HasDriveColon(exportRoot);
  if (driveRoot) SetDriveColon(path);
  ApplyRules(path, allRules);
  if (driveRoot) SetDriveColon(path);
  FixEnd(path);
  if (path.size() <= kMaxTargetPathLength) return path;
  const std::string extension = PathFindExtensionA(path);
  std::string numbered = NumberedName(exportRoot, longUrlCounter);
  if (numbered.size() + extension.size() <= kMaxTargetPathLength) numbered += extension;
  return numbered;
}

}  // namespace murel

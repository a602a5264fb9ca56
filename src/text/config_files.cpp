#include "text/config_files.h"

#include "base/buffer_limits.h"

namespace murel {

ConfigFile FindConfigFile(Platform& platform, const std::string& name) {
  const std::string here = ".\\" + name;
  std::vector<std::string> places{here};
  for (const std::string& folder : platform.ConfigurationFolders()) {
    places.push_back(folder + "\\" + name);
  }
  for (const std::string& place : places) {
    const std::optional<FileFacts> facts = platform.QueryFile(place);
    if (facts && facts->kind != FileKind::kDirectory) return {place, true};
  }
  return {here, false};
}

std::vector<std::string> ConfigFoldersShown(Platform& platform) {
  std::vector<std::string> shown{
      platform.DisplayPath(platform.FullPath(".", kFullPathLimit).value_or("."))};
  for (const std::string& folder : platform.ConfigurationFolders()) {
    shown.push_back(platform.DisplayPath(folder));
  }
  return shown;
}

}  // namespace murel

#include "platform/posix/config_folders.h"

#include <cstddef>

namespace murel {
namespace {

constexpr const char* kOwnFolder = "/murel";

bool IsSet(const char* value) { return value != nullptr && value[0] != '\0'; }

// A folder that is relative would depend on where murel is started; the XDG rules drop it.
bool IsAbsolute(const std::string& folder) { return !folder.empty() && folder[0] == '/'; }

// `folder` with murel's folder name after it, without a doubled "/" between.
std::string OwnFolderIn(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder == "/" ? kOwnFolder : folder + kOwnFolder;
}

}  // namespace

std::vector<std::string> XdgConfigFolders(const std::string& home, const char* configHome,
                                          const char* configDirs) {
  std::vector<std::string> folders;
  const std::string userFolder = IsSet(configHome) ? configHome : home + "/.config";
  if (IsAbsolute(userFolder)) folders.push_back(OwnFolderIn(userFolder));
  const std::string systemFolders = IsSet(configDirs) ? configDirs : "/etc/xdg";
  std::size_t start = 0;
  for (;;) {
    const std::size_t colon = systemFolders.find(':', start);
    const std::string folder = systemFolders.substr(start, colon - start);
    if (IsAbsolute(folder)) folders.push_back(OwnFolderIn(folder));
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  return folders;
}

}  // namespace murel

#include "platform/posix/user_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace murel {
namespace {

// An environment variable that is set and not empty; XDG treats an empty one as unset.
std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

std::string Home() {
  std::string home = Env("HOME");
  if (!home.empty()) return home;
  const passwd* entry = getpwuid(geteuid());
  return entry != nullptr && entry->pw_dir != nullptr ? std::string(entry->pw_dir) : "/";
}

// The XDG folder named by the variable `name`, or `fallback` when it is unset, empty or
// relative.
std::string XdgFolder(const char* name, const std::string& fallback) {
  const std::string value = Env(name);
  return value.empty() || value[0] != '/' ? fallback : value;
}

}  // namespace

std::string HostCacheHome() { return XdgFolder("XDG_CACHE_HOME", Home() + "/.cache"); }

std::vector<std::pair<UserFolderKind, std::string>> HostUserFolders() {
  const std::string home = Home();
  std::vector<std::pair<UserFolderKind, std::string>> folders{
      {UserFolderKind::kHome, home},
      {UserFolderKind::kCacheHome, HostCacheHome()},
      {UserFolderKind::kConfigHome, XdgFolder("XDG_CONFIG_HOME", home + "/.config")},
  };
  const std::string prefix = Env("WINEPREFIX");
  if (!prefix.empty()) folders.emplace_back(UserFolderKind::kWinePrefix, prefix);
  if (prefix != home + "/.wine") folders.emplace_back(UserFolderKind::kWinePrefix, home + "/.wine");
  return folders;
}

}  // namespace murel

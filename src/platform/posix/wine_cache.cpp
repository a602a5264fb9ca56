// The default cache on Linux: the one that Wine's WinINet keeps in the user's prefix.

#include "platform/posix/wine_cache.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace murel {
namespace {

std::string EnvOr(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? std::string(value) : fallback;
}

// The account's passwd entry gives the name and home when the environment does not.
std::string AccountField(bool home) {
  const passwd* entry = getpwuid(geteuid());
  if (entry == nullptr) return std::string();
  const char* field = home ? entry->pw_dir : entry->pw_name;
  return field != nullptr ? std::string(field) : std::string();
}

bool IsRegularFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

std::vector<std::string> WineCacheCandidates(const std::string& prefix, const std::string& user) {
  const std::string users = prefix + "/drive_c/users/" + user;
  return {
      users + "/AppData/Local/Microsoft/Windows/INetCache/Content.IE5/index.dat",
      users + "/Local Settings/Temporary Internet Files/Content.IE5/index.dat",
  };
}

std::optional<std::string> FindWineCacheIndex() {
  const std::string prefix = EnvOr("WINEPREFIX", EnvOr("HOME", AccountField(true)) + "/.wine");
  const std::string user = EnvOr("USER", AccountField(false));
  for (const std::string& candidate : WineCacheCandidates(prefix, user)) {
    if (IsRegularFile(candidate)) return candidate;
  }
  return std::nullopt;
}

}  // namespace murel

// Wine keeps a Windows profile for the host user in its prefix; programs run there find their
// data below it (WinINet's cache among them).

#include "platform/posix/wine_profile.h"

#include <pwd.h>
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

}  // namespace

std::string HostWineUserProfile() {
  const std::string prefix = EnvOr("WINEPREFIX", EnvOr("HOME", AccountField(true)) + "/.wine");
  return prefix + "/drive_c/users/" + EnvOr("USER", AccountField(false));
}

}  // namespace murel

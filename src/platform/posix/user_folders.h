// Where the current user's folders lie on a Linux host.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace murel {

/// The user's folders as host paths, whether they exist or not, in the order of UserFolderKind:
/// $HOME (else the account's home), $XDG_CACHE_HOME (else ~/.cache), $XDG_CONFIG_HOME (else
/// ~/.config), then $WINEPREFIX when set and ~/.wine.
std::vector<std::pair<UserFolderKind, std::string>> HostUserFolders();

}  // namespace murel

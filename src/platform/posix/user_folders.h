// Where the current user's folders lie on a Linux host.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace murel {

/// The user's folders as host paths, whether they exist or not, in the order of UserFolderKind:
/// $HOME (else the account's home), $XDG_CACHE_HOME (else ~/.cache), $XDG_CONFIG_HOME (else
/// ~/.config), then $WINEPREFIX when set and ~/.wine. An XDG variable that holds no absolute path
/// counts as unset, as the XDG rules say.
std::vector<std::pair<UserFolderKind, std::string>> HostUserFolders();

/// The user's cache folder as a host path: $XDG_CACHE_HOME when it is an absolute path (the XDG
/// rules pass over a relative one), else ~/.cache.
std::string HostCacheHome();

}  // namespace murel

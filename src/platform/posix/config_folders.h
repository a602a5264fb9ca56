// Where murel's configuration files are looked for on a Linux host, after the current folder.
#pragma once

#include <string>
#include <vector>

namespace murel {

/// The folders of the XDG base directories that may hold murel's configuration, as host paths
/// in the order they are looked in: `configHome`/murel, where `configHome` is $XDG_CONFIG_HOME
/// (else `home`/.config), then <folder>/murel for each folder of $XDG_CONFIG_DIRS (else
/// /etc/xdg). `configHome` and `configDirs` are the variables' values, null when unset; an empty
/// value counts as unset, and relative folders are passed over, as the XDG rules ask.
std::vector<std::string> XdgConfigFolders(const std::string& home, const char* configHome,
                                          const char* configDirs);

}  // namespace murel

// Where the current user's Windows profile in the Wine prefix lies on the host.
#pragma once

#include <string>

namespace murel {

/// The host path of the current user's profile folder in the Wine prefix that Wine would use:
/// $WINEPREFIX, else ~/.wine (the home being $HOME, else the account's), then "drive_c/users/"
/// and $USER, else the account's name. Whether it exists or not.
std::string HostWineUserProfile();

}  // namespace murel

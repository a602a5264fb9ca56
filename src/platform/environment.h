// What a run learns of the system it runs on: the user's folders, where configuration is kept,
// whose habits to follow, the clocks and the program's own path.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace murel {

/// What a folder of the user's is, for finding the caches that browsers keep below it.
enum class UserFolderKind {
  kHome,            ///< The home folder (Linux: snap and flatpak browsers keep theirs below it).
  kCacheHome,       ///< Linux: $XDG_CACHE_HOME, else ~/.cache.
  kConfigHome,      ///< Linux: $XDG_CONFIG_HOME, else ~/.config.
  kLocalAppData,    ///< Windows: %LOCALAPPDATA%.
  kRoamingAppData,  ///< Windows: %APPDATA%.
  kWinePrefix,      ///< Linux: a Wine prefix ($WINEPREFIX, ~/.wine), which holds drive_c.
};

/// A folder of the user's, as a full path that the file services take.
struct UserFolder {
  UserFolderKind kind;
  std::string path;
};

/// The habits of the system's users that a run follows where the Windows program's own behaviour
/// would surprise them.
enum class Conventions {
  /// The Windows program's: a run without a path exports beside the program, and a failed copy
  /// shows the path of the cache file alone.
  kWindows,
  /// A Unix command-line tool's: a run without a path exports to the current folder, a failed
  /// copy also says the URL, the target and why, and a run that fails without rules says where
  /// the rules were looked for.
  kUnix,
};

/// The system's facts about the user and the run.
class Environment {
 public:
  virtual ~Environment() = default;

  /// The current user's folders below which browsers keep their caches, each that exists and is
  /// a folder, in the order of UserFolderKind: the kinds the system has (Linux: home, cache
  /// home, config home, Wine prefixes; Windows: home, local and roaming application data).
  virtual std::vector<UserFolder> UserFolders() = 0;

  /// The profile folder of the current user's Windows account in the Wine prefix that Wine would
  /// use, as a full path that the file services take, whether it exists or not: on Linux
  /// $WINEPREFIX, else ~/.wine, then "drive_c\users\" and $USER, else the account's name. Empty
  /// where programs run without Wine (Windows).
  virtual std::optional<std::string> WineUserProfile() = 0;

  /// The folder where programs keep the current user's cached data, as a full path that the file
  /// services take, whether it exists or not (Linux: $XDG_CACHE_HOME when it is absolute, else
  /// ~/.cache; Windows: %LOCALAPPDATA%). Empty when the system names none.
  virtual std::optional<std::string> UserCacheFolder() = 0;

  /// The folders where murel's configuration files (murel.ini, murel.lng) are looked for after the
  /// current folder, in that order, as full paths whether they exist or not. Linux:
  /// $XDG_CONFIG_HOME/murel (else ~/.config/murel), then <folder>/murel for each absolute folder
  /// of $XDG_CONFIG_DIRS (else /etc/xdg/murel). Windows: none.
  virtual std::vector<std::string> ConfigurationFolders() = 0;

  /// Which users' habits the run follows.
  virtual Conventions UserConventions() = 0;

  /// Milliseconds on a clock that never goes back, for pacing the redraws of a status line.
  virtual std::uint64_t SteadyMilliseconds() = 0;

  /// The time now, on the clock that gives files their last-write times.
  virtual FileTime CurrentTime() = 0;

  /// The full path of the program's own file; empty on failure.
  virtual std::optional<std::string> ProgramPath() = 0;
};

}  // namespace murel

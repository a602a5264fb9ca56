// Finding murel's configuration files: its rules (murel.ini) and its texts (murel.lng).
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace murel {

/// The name of the rules file.
inline constexpr const char* kRulesFileName = "murel.ini";

/// The name of the language file.
inline constexpr const char* kLanguageFileName = "murel.lng";

/// Where a configuration file is read from.
struct ConfigFile {
  std::string path;    ///< The first place that holds it, else ".\<name>" in the current folder.
  bool found = false;  ///< Whether a place holds it.
};

/// Looks for the file `name` in the current folder (as ".\<name>", so that a run reads there as
/// it always has) and then in each of the platform's ConfigurationFolders, and takes the first
/// place where the name is anything but a folder (a link counts: the profile reader follows it).
ConfigFile FindConfigFile(Platform& platform, const std::string& name);

/// The folders where FindConfigFile looks, in order, as the user is shown them: the current
/// folder's full path, then the platform's configuration folders.
std::vector<std::string> ConfigFoldersShown(Platform& platform);

}  // namespace murel

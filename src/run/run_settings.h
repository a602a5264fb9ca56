// Everything the command line of one run sets, and its resolution before the run.
#pragma once

#include <string>

#include "export/export_options.h"
#include "platform/platform.h"
#include "text/text_options.h"

namespace murel {

/// The settings of one run: the texts' options, the export's options, and what only the run
/// driver reads. Set by the command line (ParseCommandLine), completed by ResolveSettings, and
/// read-only after that.
struct RunSettings : TextOptions, ExportOptions {
  std::string rootText;     ///< The export root as the command line gives it.
  std::string cachePath;    ///< "-c": the cache file or folder to read; empty for the default.
  std::string warcText;     ///< "--warc": the web archive as the command line gives it, or empty.
  std::string warcPath;     ///< The web archive's full path; empty for none.
  bool rulesFound = false;  ///< A rules file was found (its section "all" is in `allRules`).
};

/// What ResolveSettings could not resolve.
enum class Unresolved {
  kNothing,     ///< Every setting is resolved.
  kExportRoot,  ///< The root text is empty, cannot be made absolute, or is too long to hold
                ///< "urls.txt" after it.
  kArchive,     ///< The archive's path cannot be made absolute.
};

/// Completes the settings that the command line gave before the run uses any: loads the rules
/// of the section "all" of the rules file (LoadRules) into `allRules`, setting `rulesFound`;
/// makes `exportRoot` the absolute form of `rootText`, ending in "\"; and `warcPath` the full
/// path of `warcText`. Nothing is written. Says which of the paths, in that order, could not be
/// resolved.
Unresolved ResolveSettings(Platform& platform, RunSettings& settings);

}  // namespace murel

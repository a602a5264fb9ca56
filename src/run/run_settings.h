// Everything the command line of one run sets.
#pragma once

#include <string>

#include "export/export_options.h"
#include "text/text_options.h"

namespace murel {

/// The settings of one run: the texts' options, the export's options, and what only the run
/// driver reads. Set by the command line and the run driver.
struct RunSettings : TextOptions, ExportOptions {
  std::string rootText;   ///< The export root as the command line gives it.
  std::string cachePath;  ///< "-c": the cache file or folder to read; empty for the default.
  std::string warcPath;   ///< "--warc": the web archive to write; empty for none.
};

}  // namespace murel

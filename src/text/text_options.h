// What the command line says about the texts a run shows.
#pragma once

#include <string>

namespace murel {

/// The choices that decide which texts a run shows and whether it shows them.
struct TextOptions {
  bool quiet = false;      ///< "-nm": show no error boxes.
  std::string programDir;  ///< The program's directory, known only in a run without arguments:
                           ///< the language file is read there.
};

}  // namespace murel

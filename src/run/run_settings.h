// The state of one run, passed by reference to every step that reads or changes it.
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"
#include "rules/rule_set.h"

namespace murel {

/// Working paths and the command line are held within this many characters.
constexpr std::size_t kPathBufferSize = 2000;

/// Everything one run knows: set by the command line and the run driver, read by the text lookup
/// and the export steps. The lengths of `urlFilter` and `exportRoot` are their sizes.
struct RunSettings {
  bool listOnly = false;      ///< "-l": list the URLs only, copy nothing.
  bool tolvarFormat = false;  ///< "-e": the tolvar format (no listing, "http://" removed).
  bool quiet = false;         ///< "-nm": show no error boxes.
  std::string urlFilter = "*";  ///< URL prefix that selects entries; "*" selects all.
  std::string rootText;         ///< The export root as the command line gives it.
  std::string programDir;       ///< The program's directory, known only in a run without arguments.
  std::string cachePath;        ///< "-c": the cache file or folder to read; empty for the default.
  std::string exportRoot;       ///< Absolute, ends with "\".
  std::unique_ptr<ListingFile> listingFile;  ///< "urls.txt"; null in the tolvar format.
  RuleSet allRules;                          ///< The rules of the section "all".
  unsigned long longUrlCounter = 0;          ///< Numbered "longurls\" names given so far.
};

}  // namespace murel

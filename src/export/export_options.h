// What the command line and the configuration ask of an export.
#pragma once

#include <string>

#include "rules/rule_set.h"

namespace murel {

/// The choices that shape an export; fixed for the whole run.
struct ExportOptions {
  bool listOnly = false;        ///< "-l": list the URLs only, copy nothing.
  bool tolvarFormat = false;    ///< "-e": the tolvar format (no listing, "http://" removed).
  bool rawBodies = false;       ///< "--raw": stored bodies are written undecoded.
  std::string urlFilter = "*";  ///< URL prefix that selects entries; "*" selects all.
  std::string exportRoot;       ///< Absolute, ends with "\".
  RuleSet allRules;             ///< The rules of the section "all".
};

}  // namespace murel

// Turning the command-line tail into the settings of the run.
//
// The tail is "[options] [path [url]]": the options "-l", "-e", "-nm", "--raw", "-c <cache>" and
// "--warc <file>" in any order, then the export root (in double quotes when it holds blanks) and,
// after one blank, the URL filter. "-h", "/h", "-?", "/?" and "--help", each as the whole tail, ask
// for the usage box
// ("--help" with the options beyond it); "--version" and "--list-caches", each as the whole tail,
// ask for the version and for the list of the user's caches.
#pragma once

#include <cstddef>
#include <string>

#include "base/buffer_limits.h"
#include "platform/platform.h"
#include "run/run_settings.h"

namespace murel {

/// What the command line asks for.
enum class ParseOutcome {
  kRun,              ///< A run with the settings parsed.
  kHelp,             ///< The usage box (exit status 0).
  kHelpExtended,     ///< "--help": the usage box followed by the options beyond it.
  kVersion,          ///< "--version": the version box.
  kListCaches,       ///< "--list-caches": the caches found for this user.
  kUnknownOption,    ///< Refused: an option the program does not know, or "-h" with more text.
  kNoCachePath,      ///< Refused: "-c" without the cache path after it.
  kNoWarcPath,       ///< Refused: "--warc" without the archive's path after it.
  kLongCommandLine,  ///< Refused: the tail is longer than kMaxTailLength.
  kLongPath,         ///< Refused: the root text or the program's directory is over its buffer.
};

/// The result of ParseCommandLine.
struct ParsedCommandLine {
  ParseOutcome outcome = ParseOutcome::kRun;
  std::string option;  ///< For kUnknownOption, kNoCachePath and kNoWarcPath: the option.
};

/// Parses the command-line tail `tail` (the text after the program's name) into `settings`:
/// `listOnly`, `tolvarFormat`, `quiet`, `rawBodies`, `cachePath`, `warcText`, `rootText`,
/// `urlFilter`, and `programDir` in a run without arguments. A tail without a path gives the
/// program's directory (from the platform's module file name, cut at its last "\") as the root
/// text, or "." (the current folder, and no `programDir`) where the platform follows Unix
/// conventions. A quoted path without its closing quote takes the rest of the tail. A text over
/// its buffer is refused, never cut. On a refusal `settings` holds the options read before it (so
/// "-nm" before an unknown option, or at the start of an over-long tail, counts).
ParsedCommandLine ParseCommandLine(const std::string& tail, Platform& platform,
                                   RunSettings& settings);

/// True when the command line cannot be taken (the run ends with exit status 2).
bool IsRefused(const ParsedCommandLine& parsed);

/// Shows why the command line was refused, in an error box: the unknown option by name, or "-c"
/// without its path, each followed by the usage text; or which text is over its buffer. Shows
/// nothing when `settings.quiet` is on or the command line was not refused.
void ReportRefusal(Platform& platform, const RunSettings& settings,
                   const ParsedCommandLine& parsed);

}  // namespace murel

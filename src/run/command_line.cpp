#include "run/command_line.h"

#include <optional>

#include "text/messages.h"
#include "text/text_lookup.h"
#include "text/usage.h"

namespace murel {

namespace {

// The filter is part of the tail, so refusing an over-long tail keeps the filter in its buffer.
static_assert(kMaxTailLength <= kMaxFilterLength, "a filter never passes its buffer");

bool StartsWith(const std::string& text, const char* prefix) {
  return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

// The requests that are the whole tail; kRun for any other tail.
ParseOutcome WholeTailRequest(const std::string& tail) {
  if (tail == "-?" || tail == "/?" || tail == "-h" || tail == "/h") return ParseOutcome::kHelp;
  if (tail == "--help") return ParseOutcome::kHelpExtended;
  if (tail == "--version") return ParseOutcome::kVersion;
  if (tail == "--list-caches") return ParseOutcome::kListCaches;
  return ParseOutcome::kRun;
}

// The directory of the program's own file, without its last "\"; empty when the platform cannot
// tell (the root text is then empty, which the run driver deals with). Nothing when the module name
// is over the 300-character buffer that the directory is cut from.
std::optional<std::string> ProgramDirectory(Platform& platform) {
  const std::optional<std::string> module = platform.ProgramPath();
  if (!module) {
    return std::string();
  }
  if (module->size() > kMaxRootTextLength) {
    return std::nullopt;
  }
  const std::size_t slash = module->rfind('\\');
  return slash == std::string::npos ? std::string() : module->substr(0, slash);
}

// Removes the first `count` characters of `text` and then one blank, if one follows: options are
// separated by one blank, and a second blank begins the path.
void Consume(std::string& text, std::size_t count) {
  text.erase(0, count);
  if (!text.empty() && text[0] == ' ') {
    text.erase(0, 1);
  }
}

// Takes an option with a path ("-c <cache>", "--warc <file>"), `length` characters long, from
// the start of `text` into `path`. The path is quoted like the export root when it holds blanks
// (an unclosed quote takes the rest of the text); otherwise it ends at the next blank. False when
// no path follows.
bool TakeOptionPath(std::string& text, std::size_t length, std::string& path) {
  Consume(text, length);
  if (!text.empty() && text[0] == '"') {
    const std::size_t close = text.find('"', 1);
    path = text.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    Consume(text, close == std::string::npos ? text.size() : close + 1);
    return true;
  }
  const std::size_t blank = text.find(' ');
  if (blank == 0 || text.empty()) {
    return false;
  }
  path = text.substr(0, blank);
  Consume(text, blank == std::string::npos ? text.size() : blank);
  return true;
}

// Takes the options from the start of `text`, leaving the path and the filter. The options match
// as prefixes, so one may follow another directly ("-l-e"). Stops at a lone "-".
ParsedCommandLine ScanOptions(std::string& text, RunSettings& settings) {
  while (text.size() > 1 && text[0] == '-') {
    if (StartsWith(text, "-l")) {
      settings.listOnly = true;
      Consume(text, 2);
    } else if (StartsWith(text, "-e")) {
      settings.tolvarFormat = true;
      Consume(text, 2);
    } else if (StartsWith(text, "-nm")) {
      settings.quiet = true;
      Consume(text, 3);
    } else if (text == "--raw" || StartsWith(text, "--raw ")) {
      settings.rawBodies = true;
      Consume(text, 5);
    } else if (text == "-c" || StartsWith(text, "-c ")) {
      if (!TakeOptionPath(text, 2, settings.cachePath)) {
        return {ParseOutcome::kNoCachePath, "-c"};
      }
    } else if (text == "--warc" || StartsWith(text, "--warc ")) {
      if (!TakeOptionPath(text, 6, settings.warcText)) {
        return {ParseOutcome::kNoWarcPath, "--warc"};
      }
    } else {
      return {ParseOutcome::kUnknownOption, text.substr(0, text.find(' '))};
    }
  }
  return {};
}

// Splits what follows the options into the root text and the filter. A quoted root ends at the
// next quote, and the filter begins after the first blank behind it (text between the quote and
// that blank is dropped); an unquoted root ends at the first blank. Without a blank the filter
// stays "*". An empty remainder leaves the root text empty.
void TakePathAndFilter(const std::string& text, RunSettings& settings) {
  std::size_t blank = std::string::npos;
  if (!text.empty() && text[0] == '"') {
    const std::size_t close = text.find('"', 1);
    if (close == std::string::npos) {
      settings.rootText = text.substr(1);
      return;
    }
    settings.rootText = text.substr(1, close - 1);
    blank = text.find(' ', close + 1);
  } else {
    blank = text.find(' ');
    settings.rootText = text.substr(0, blank);
  }
  if (blank != std::string::npos) {
    settings.urlFilter = text.substr(blank + 1);
  }
}

ShownText RefusalText(Texts& texts, const ParsedCommandLine& parsed) {
  switch (parsed.outcome) {
    case ParseOutcome::kUnknownOption:
      return texts.Shown(kErrUnknownOption)
          .Append(": " + parsed.option + "\n\n")
          .Append(UsageShownText(texts));
    case ParseOutcome::kNoCachePath:
      return texts.Shown(kErrNoCachePath).Append("\n\n").Append(UsageShownText(texts));
    case ParseOutcome::kNoWarcPath:
      return texts.Shown(kErrNoWarcPath).Append("\n\n").Append(UsageShownText(texts));
    case ParseOutcome::kLongCommandLine:
      return texts.Shown(kErrLongCommandLine);
    case ParseOutcome::kLongPath:
      return texts.Shown(kErrLongPath);
    case ParseOutcome::kRun:
    case ParseOutcome::kHelp:
    case ParseOutcome::kHelpExtended:
    case ParseOutcome::kVersion:
    case ParseOutcome::kListCaches:
      break;
  }
  return ShownText();
}

}  // namespace

ParsedCommandLine ParseCommandLine(const std::string& tail, Platform& platform,
                                   RunSettings& settings) {
  std::string text = tail;
  if (tail.size() > kMaxTailLength) {
    // The options are still read, so that "-nm" keeps a scripted run silent about the refusal.
    ScanOptions(text, settings);
    return {ParseOutcome::kLongCommandLine, ""};
  }
  const ParseOutcome request = WholeTailRequest(tail);
  if (request != ParseOutcome::kRun) {
    return {request, ""};
  }
  const ParsedCommandLine scanned = ScanOptions(text, settings);
  if (scanned.outcome != ParseOutcome::kRun) {
    return scanned;
  }
  if (text.empty()) {
    // No path: a Unix tool works in the current folder; the program's own folder is a system
    // folder once it is installed.
    if (platform.UserConventions() == Conventions::kUnix) {
      settings.rootText = ".";
      return {};
    }
    // The Windows program exports beside itself. Only a run without any argument also reads its
    // language file there.
    const std::optional<std::string> dir = ProgramDirectory(platform);
    if (!dir) {
      return {ParseOutcome::kLongPath, ""};
    }
    settings.rootText = *dir;
    if (tail.empty()) {
      settings.programDir = *dir;
    }
    return {};
  }
  TakePathAndFilter(text, settings);
  if (settings.rootText.size() > kMaxRootTextLength) {
    return {ParseOutcome::kLongPath, ""};
  }
  return {};
}

bool IsRefused(const ParsedCommandLine& parsed) {
  switch (parsed.outcome) {
    case ParseOutcome::kUnknownOption:
    case ParseOutcome::kNoCachePath:
    case ParseOutcome::kNoWarcPath:
    case ParseOutcome::kLongCommandLine:
    case ParseOutcome::kLongPath:
      return true;
    default:
      return false;
  }
}

void ReportRefusal(Platform& platform, const RunSettings& settings,
                   const ParsedCommandLine& parsed) {
  if (settings.quiet || !IsRefused(parsed)) {
    return;
  }
  Texts texts(platform, settings);
  ShownText text = RefusalText(texts, parsed);
  text.Cut(kMaxShownText);
  platform.ShowMessage(text, texts.Shown(kErrorCaption), BoxIcon::kError);
}

}  // namespace murel

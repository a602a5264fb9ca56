#include "run/command_tail.h"

#include <cstddef>

namespace murel {

namespace {

// An option is anything that begins with "-" and has more after it; a lone "-" is a path, as the
// parser of the tail takes it.
bool IsOption(const std::string& arg) { return arg.size() > 1 && arg[0] == '-'; }

// The parser ends an unquoted argument at a blank and would take an empty one as missing, so
// those are quoted. A path that begins with "-" (only a lone "-" gets here) is quoted too, so that
// a filter after it does not turn it into an unknown option.
std::string Quoted(const std::string& arg, bool quoteDash) {
  const bool needsQuotes =
      arg.empty() || arg.find(' ') != std::string::npos || (quoteDash && arg[0] == '-');
  return needsQuotes ? "\"" + arg + "\"" : arg;
}

}  // namespace

std::string FormCommandTail(const std::vector<std::string>& args) {
  std::vector<std::string> pieces;
  std::size_t i = 0;
  for (; i < args.size() && IsOption(args[i]); ++i) {
    pieces.push_back(args[i]);
    if ((args[i] == "-c" || args[i] == "--warc") && i + 1 < args.size()) {
      pieces.push_back(Quoted(args[++i], false));
    }
  }
  if (i < args.size()) {
    pieces.push_back(Quoted(args[i++], true));
  }
  // The filter is the rest of the tail as it stands, blanks included, so its arguments are joined
  // as they are.
  for (; i < args.size(); ++i) {
    pieces.push_back(args[i]);
  }
  std::string tail;
  for (std::size_t p = 0; p < pieces.size(); ++p) {
    tail += (p == 0 ? "" : " ") + pieces[p];
  }
  return tail;
}

}  // namespace murel

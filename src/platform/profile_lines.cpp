// Lines of a profile text: whole lines of one chunk go to the reader without a copy; only a line
// that crosses chunks is gathered, and no more than kLongestProfileLine of it.

#include "platform/profile_lines.h"

namespace murel {

bool ProfileLineSplitter::Feed(std::string_view chunk) {
  while (!chunk.empty()) {
    const std::size_t end = chunk.find('\n');
    if (end == std::string_view::npos) {
      Append(chunk);
      return true;
    }
    const std::string_view piece = chunk.substr(0, end);
    chunk.remove_prefix(end + 1);
    bool more = true;
    if (line_.empty() && !overlong_) {
      more = EndLine(piece);
    } else {
      Append(piece);
      more = EndLine(line_);
    }
    if (!more) return false;
  }
  return true;
}

void ProfileLineSplitter::Finish() {
  if (!line_.empty() || overlong_) EndLine(line_);
}

void ProfileLineSplitter::Append(std::string_view piece) {
  if (overlong_) return;
  if (line_.size() + piece.size() > kLongestProfileLine) {
    // The rest of the line is dropped as it comes; the memory it had goes back at once.
    overlong_ = true;
    std::string().swap(line_);
    return;
  }
  line_.append(piece);
}

bool ProfileLineSplitter::EndLine(std::string_view line) {
  const bool more = overlong_ || line.size() > kLongestProfileLine || reader_.TakeLine(line);
  line_.clear();
  overlong_ = false;
  return more;
}

void ReadProfileText(std::string_view text, ProfileLineReader& reader) {
  ProfileLineSplitter splitter(reader);
  if (splitter.Feed(text)) splitter.Finish();
}

}  // namespace murel

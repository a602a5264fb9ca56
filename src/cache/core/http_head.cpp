#include "cache/core/http_head.h"

#include <algorithm>
#include <cctype>

#include "base/ascii.h"

namespace murel {
namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// Where the line at the start of `head` ends: at its LF or NUL, or at the end of the head.
std::size_t LineEnd(std::string_view head) {
  std::size_t end = 0;
  while (end < head.size() && head[end] != '\n' && head[end] != '\0') ++end;
  return end;
}

// The status code of "HTTP/<version> <code> [reason]": three digits after the first blank.
std::optional<int> StatusOf(std::string_view line) {
  if (line.substr(0, 5) != "HTTP/") return std::nullopt;
  const std::size_t blank = line.find(' ');
  if (blank == std::string_view::npos || line.size() < blank + 4) return std::nullopt;
  int status = 0;
  for (std::size_t i = blank + 1; i < blank + 4; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(line[i]))) return std::nullopt;
    status = status * 10 + (line[i] - '0');
  }
  if (line.size() > blank + 4 && line[blank + 4] != ' ') return std::nullopt;
  return status;
}

void AddCodings(std::string_view value, std::vector<std::string>& codings) {
  while (!value.empty()) {
    const std::size_t comma = value.find(',');
    const std::string coding = Lower(Trim(value.substr(0, comma)));
    if (!coding.empty() && coding != "identity") codings.push_back(coding);
    if (comma == std::string_view::npos) break;
    value.remove_prefix(comma + 1);
  }
}

// A decimal length of at most 19 digits; anything else is no length.
std::optional<std::uint64_t> LengthOf(std::string_view value) {
  if (value.empty() || value.size() > 19) return std::nullopt;
  std::uint64_t length = 0;
  for (const char c : value) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    length = length * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return length;
}

}  // namespace

std::optional<HttpHead> ParseHttpHead(std::string_view head) {
  HttpHead parsed;
  bool first = true;
  int lengths = 0;
  while (!head.empty()) {
    const std::size_t end = LineEnd(head);
    const std::string_view line = Trim(head.substr(0, end));
    head.remove_prefix(std::min(end + 1, head.size()));
    if (first) {
      const std::optional<int> status = StatusOf(line);
      if (!status) return std::nullopt;
      parsed.status = *status;
      first = false;
      continue;
    }
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string_view name = Trim(line.substr(0, colon));
    const std::string_view value = Trim(line.substr(colon + 1));
    if (EqualsNoCase(name, "content-encoding")) AddCodings(value, parsed.contentEncodings);
    if (EqualsNoCase(name, "content-length") && ++lengths == 1)
      parsed.contentLength = LengthOf(value);
  }
  if (first) return std::nullopt;
  // Two lengths are ambiguous: none is trusted.
  if (lengths > 1) parsed.contentLength.reset();
  return parsed;
}

bool IsExportableStatus(int status) { return status >= 200 && status < 300 && status != 206; }

}  // namespace murel

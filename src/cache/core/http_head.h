// The parts of a stored HTTP response head that decide whether and how a body is exported.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace murel {

/// What a response head says about its body.
struct HttpHead {
  int status = 0;  ///< The status code of the status line.
  /// The content codings of every Content-Encoding header, in the order the server applied them,
  /// in lower case; "identity" is left out.
  std::vector<std::string> contentEncodings;
  std::optional<std::uint64_t> contentLength;  ///< Content-Length, when given once and valid.
};

/// Parses a response head: a status line ("HTTP/1.1 200 OK") and header lines ("Name: value"),
/// each line ending in CR LF, LF or NUL (Chromium keeps NULs, Firefox CR LF). Header names
/// compare without regard to case. Empty when the first line is no HTTP status line.
std::optional<HttpHead> ParseHttpHead(std::string_view head);

/// True for the statuses whose body is the resource itself: 2xx other than 206 (a range piece).
/// Redirects, errors and 304 records are not.
bool IsExportableStatus(int status);

}  // namespace murel

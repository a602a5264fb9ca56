// The response that Chromium's HTTP cache keeps beside a body: a pickled HttpResponseInfo.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace murel {

/// The fields of a stored response that decide whether and how its body is exported.
struct ResponseInfo {
  std::uint32_t flags = 0;        ///< Flag bits; the low byte is the pickle's version.
  std::int64_t responseTime = 0;  ///< When the response came: microseconds since 1601, UTC.
  std::string headers;            ///< Status line and header lines, each ending in NUL.

  /// The body is incomplete: the cache kept it to resume the download later.
  bool Truncated() const { return (flags & (1u << 12)) != 0; }
};

/// Reads the head of a pickle (a 4-byte payload length, then the payload in 4-byte aligned
/// fields) of versions 1 to 3: flags, the optional extra flags, the request and response times,
/// the optional original response time, and the raw headers. The fields after the headers are
/// not read. Empty when the pickle is shorter than it claims or the fields do not fit it.
std::optional<ResponseInfo> ParseResponseInfo(const unsigned char* data, std::size_t size);

}  // namespace murel

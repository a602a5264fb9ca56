// What Chromium keeps beside each CacheStorage body: the request and the response (stream 0).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace murel {

/// The parts of one entry's metadata that an export needs.
struct ChromiumCacheMetadata {
  std::string method;  ///< The request's method.
  int status = 0;
  std::string statusText;
  std::vector<std::pair<std::string, std::string>> headers;  ///< The response's, in order.
  /// When the entry was stored, else when the response came (Chrome time: microseconds since
  /// 1601); 0 when neither is kept.
  std::int64_t stored = 0;
};

/// Parses stream 0 of a CacheStorage entry, a protocol buffer: field 1 the request (its method
/// in field 1), field 2 the response (status 1, status text 2, headers 4 as name 1 and value 2,
/// response time 6), field 3 the time the entry was stored. Empty when it is damaged or has no
/// request or response.
std::optional<ChromiumCacheMetadata> ParseChromiumCacheMetadata(std::string_view stream0);

}  // namespace murel

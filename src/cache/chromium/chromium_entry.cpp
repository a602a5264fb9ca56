#include "cache/chromium/chromium_entry.h"

#include <algorithm>
#include <utility>

#include "cache/chromium/chromium_key.h"
#include "cache/chromium/response_info.h"
#include "cache/core/http_head.h"

namespace murel {
namespace {

// Chrome times count microseconds since 1601, FILETIME 100-nanosecond units since 1601.
FileTime ToFileTime(std::int64_t chromeTime) {
  if (chromeTime <= 0) return 0;
  const auto micro = static_cast<std::uint64_t>(chromeTime);
  return micro > UINT64_MAX / 10 ? UINT64_MAX : micro * 10;
}

// Chromium undoes a response's codings only when it knows every one of them; a single label it
// does not know ("none", a charset, x-deflate) makes it serve the whole body as stored.
bool ChromiumUndoes(const std::vector<std::string>& codings) {
  return std::all_of(codings.begin(), codings.end(), [](const std::string& coding) {
    return coding == "gzip" || coding == "x-gzip" || coding == "deflate" || coding == "br" ||
           coding == "zstd";
  });
}

}  // namespace

bool ToExportedEntry(std::string_view key, const unsigned char* responseInfo,
                     std::size_t responseInfoSize, StoredBody body, CacheEntry& entry) {
  std::optional<std::string> url = UrlOfCacheKey(key);
  if (!url) return false;
  std::optional<ResponseInfo> info = ParseResponseInfo(responseInfo, responseInfoSize);
  if (!info || info->Truncated()) return false;
  std::optional<HttpHead> head = ParseHttpHead(info->headers);
  if (!head || !IsExportableStatus(head->status)) return false;
  if (head->contentLength && body.size < *head->contentLength) return false;
  body.encodings.clear();
  if (ChromiumUndoes(head->contentEncodings)) body.encodings = std::move(head->contentEncodings);
  body.stored = ToFileTime(info->responseTime);
  entry.url = std::move(*url);
  entry.localFile.clear();
  entry.storedBody = std::move(body);
  entry.head = std::move(info->headers);
  entry.refused = false;
  return true;
}

}  // namespace murel

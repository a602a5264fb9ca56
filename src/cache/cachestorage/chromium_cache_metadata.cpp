#include "cache/cachestorage/chromium_cache_metadata.h"

#include "cache/cachestorage/protobuf_reader.h"

namespace murel {
namespace {

constexpr std::uint32_t kRequest = 1;
constexpr std::uint32_t kResponse = 2;
constexpr std::uint32_t kEntryTime = 3;
constexpr std::uint32_t kRequestMethod = 1;
constexpr std::uint32_t kStatus = 1;
constexpr std::uint32_t kStatusText = 2;
constexpr std::uint32_t kHeader = 4;
constexpr std::uint32_t kResponseTime = 6;
constexpr std::uint32_t kHeaderName = 1;
constexpr std::uint32_t kHeaderValue = 2;
// No HTTP status passes three digits; a larger number is damage.
constexpr std::uint64_t kMaxStatus = 999;

bool ParseRequest(std::string_view message, ChromiumCacheMetadata& out) {
  ProtoReader reader(message);
  ProtoField field;
  while (reader.Next(field)) {
    if (field.number == kRequestMethod && field.delimited) out.method = field.bytes;
  }
  return !reader.Damaged();
}

bool ParseHeader(std::string_view message, ChromiumCacheMetadata& out) {
  std::pair<std::string, std::string> header;
  ProtoReader reader(message);
  ProtoField field;
  while (reader.Next(field)) {
    if (field.number == kHeaderName && field.delimited) header.first = field.bytes;
    if (field.number == kHeaderValue && field.delimited) header.second = field.bytes;
  }
  out.headers.push_back(std::move(header));
  return !reader.Damaged();
}

bool ParseResponse(std::string_view message, ChromiumCacheMetadata& out,
                   std::int64_t& responseTime) {
  ProtoReader reader(message);
  ProtoField field;
  bool fine = true;
  while (fine && reader.Next(field)) {
    if (field.number == kStatus && !field.delimited) {
      fine = field.value <= kMaxStatus;
      out.status = static_cast<int>(field.value);
    } else if (field.number == kStatusText && field.delimited) {
      out.statusText = field.bytes;
    } else if (field.number == kHeader && field.delimited) {
      fine = ParseHeader(field.bytes, out);
    } else if (field.number == kResponseTime && !field.delimited) {
      responseTime = static_cast<std::int64_t>(field.value);
    }
  }
  return fine && !reader.Damaged();
}

}  // namespace

std::optional<ChromiumCacheMetadata> ParseChromiumCacheMetadata(std::string_view stream0) {
  ChromiumCacheMetadata out;
  bool request = false;
  bool response = false;
  std::int64_t responseTime = 0;
  ProtoReader reader(stream0);
  ProtoField field;
  while (reader.Next(field)) {
    if (field.number == kRequest && field.delimited) {
      if (!ParseRequest(field.bytes, out)) return std::nullopt;
      request = true;
    } else if (field.number == kResponse && field.delimited) {
      if (!ParseResponse(field.bytes, out, responseTime)) return std::nullopt;
      response = true;
    } else if (field.number == kEntryTime && !field.delimited) {
      out.stored = static_cast<std::int64_t>(field.value);
    }
  }
  if (reader.Damaged() || !request || !response) return std::nullopt;
  if (out.stored <= 0) out.stored = responseTime;
  return out;
}

}  // namespace murel

#include "cache/chromium/response_info.h"

#include <algorithm>

#include "cache/core/little_endian.h"

namespace murel {
namespace {

constexpr std::uint32_t kHasExtraFlags = 1u << 31;
constexpr std::uint32_t kExtraHasOriginalResponseTime = 1u << 2;

// Fields of a pickle payload, read in order; every field starts at a multiple of 4.
class PickleReader {
 public:
  PickleReader(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}

  bool ReadU32(std::uint32_t& value) {
    if (size_ - at_ < 4) return false;
    value = LoadU32(data_ + at_);
    at_ += 4;
    return true;
  }

  bool ReadI64(std::int64_t& value) {
    if (size_ - at_ < 8) return false;
    value = static_cast<std::int64_t>(LoadU64(data_ + at_));
    at_ += 8;
    return true;
  }

  bool ReadString(std::string& value) {
    std::uint32_t length = 0;
    if (!ReadU32(length) || length > size_ - at_) return false;
    value.assign(reinterpret_cast<const char*>(data_ + at_), length);
    at_ += length;
    // The padding to the next multiple of 4 may be missing at the end of the payload.
    at_ += std::min<std::size_t>((4 - length % 4) % 4, size_ - at_);
    return true;
  }

 private:
  const unsigned char* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

}  // namespace

std::optional<ResponseInfo> ParseResponseInfo(const unsigned char* data, std::size_t size) {
  if (size < 4 || LoadU32(data) > size - 4) return std::nullopt;
  PickleReader pickle(data + 4, LoadU32(data));
  ResponseInfo info;
  std::uint32_t extraFlags = 0;
  std::int64_t unused = 0;
  if (!pickle.ReadU32(info.flags)) return std::nullopt;
  const std::uint32_t version = info.flags & 0xFF;
  if (version < 1 || version > 3) return std::nullopt;
  if ((info.flags & kHasExtraFlags) != 0 && !pickle.ReadU32(extraFlags)) return std::nullopt;
  if (!pickle.ReadI64(unused) || !pickle.ReadI64(info.responseTime)) return std::nullopt;
  if ((extraFlags & kExtraHasOriginalResponseTime) != 0 && !pickle.ReadI64(unused))
    return std::nullopt;
  if (!pickle.ReadString(info.headers)) return std::nullopt;
  return info;
}

}  // namespace murel

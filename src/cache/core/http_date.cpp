#include "cache/core/http_date.h"

namespace murel {
namespace {

constexpr std::int64_t kFileTimeOfUnixEpoch = 116444736000000000;  // 1970-01-01 in 100 ns units

}  // namespace

std::uint64_t FileTimeOfUnixSeconds(std::int64_t seconds) {
  return static_cast<std::uint64_t>(kFileTimeOfUnixEpoch + seconds * 10000000);
}

}  // namespace murel

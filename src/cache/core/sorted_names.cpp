#include "cache/core/sorted_names.h"

#include <algorithm>
#include <limits>

namespace murel {
namespace {

// About forty thousand names of a Firefox cache (40 bytes each), or twice as many of Chromium's.
constexpr std::size_t kRoomForText = std::size_t{1} << 20;
constexpr std::size_t kRoomForNames = std::size_t{1} << 16;

}  // namespace

std::optional<SortedNames> SortedNames::List(Platform& platform, const std::string& path,
                                             bool (*take)(std::string_view name)) {
  SortedNames list;
  // Room for the names of a large cache folder from the start: a growing block is copied to fresh
  // pages at each step, and a fresh page costs a fault, about 10 µs in a virtual machine. Room
  // that is never used is never touched, and costs nothing.
  list.text_.reserve(kRoomForText);
  list.names_.reserve(kRoomForNames);
  bool fits = true;
  const bool listed = platform.ListNames(path, [&](std::string_view name) {
    if (!take(name)) return;
    // Offsets are kept in 32 bits: no folder holds four gigabytes of names.
    if (std::numeric_limits<std::uint32_t>::max() - list.text_.size() < name.size()) {
      fits = false;
      return;
    }
    std::uint64_t prefix = 0;
    for (std::size_t i = 0; i < 8; ++i) {
      prefix = prefix << 8 | (i < name.size() ? static_cast<unsigned char>(name[i]) : 0u);
    }
    list.names_.push_back({prefix, static_cast<std::uint32_t>(list.text_.size()),
                           static_cast<std::uint32_t>(name.size())});
    list.text_ += name;
  });
  if (!listed || !fits) return std::nullopt;
  // A name shorter than eight bytes has zeros after it, and no name holds a zero byte, so the
  // prefixes order the names as their bytes do until two prefixes are the same.
  std::sort(list.names_.begin(), list.names_.end(), [&list](const Name& a, const Name& b) {
    if (a.prefix != b.prefix) return a.prefix < b.prefix;
    const std::string_view text(list.text_);
    return text.substr(a.start, a.size) < text.substr(b.start, b.size);
  });
  return list;
}

}  // namespace murel

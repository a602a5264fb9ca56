// The names of a folder that a reader takes, in order.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace murel {

/// The names in a folder that a predicate takes, in ascending order of their bytes, kept in one
/// block of text: a cache folder of ten thousand entry files then costs a few pages of memory
/// rather than ten thousand strings, and sorting them compares their first eight bytes as one
/// number.
class SortedNames {
 public:
  SortedNames() = default;

  /// The names in the folder `path` that `take` takes; empty when the folder cannot be listed.
  static std::optional<SortedNames> List(Platform& platform, const std::string& path,
                                         bool (*take)(std::string_view name));

  std::size_t Size() const { return names_.size(); }
  /// The `i`-th name, valid as long as the list is.
  std::string_view operator[](std::size_t i) const {
    return std::string_view(text_).substr(names_[i].start, names_[i].size);
  }

 private:
  struct Name {
    std::uint64_t prefix;  ///< The first eight bytes, the first the highest; zeros after the end.
    std::uint32_t start;   ///< Where the name begins in `text_`.
    std::uint32_t size;
  };

  std::string text_;  ///< The names one after the other.
  std::vector<Name> names_;
};

}  // namespace murel

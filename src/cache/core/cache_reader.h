// A cache of any format, read entry by entry.
#pragma once

#include <cstdint>
#include <optional>

#include "cache/core/cache_entry.h"

namespace murel {

/// Delivers the entries of one cache, one at a time, in a stable order (the same files give the
/// same order). Destroying it ends the reading.
class CacheReader {
 public:
  virtual ~CacheReader() = default;
  /// Takes the next entry into `entry`. False when there is no further entry.
  virtual bool Next(CacheEntry& entry) = 0;
  /// How many entries the reading has passed over so far because they have no body to export
  /// (redirects, errors, range pieces, cut or damaged bodies); 0 for a format that passes none.
  virtual std::uint64_t PassedOver() const { return 0; }
  /// How many entries the reading goes through in all, those it passes over among them, when the
  /// format tells it before the reading; empty otherwise.
  virtual std::optional<std::uint64_t> Total() const { return std::nullopt; }
};

}  // namespace murel

// Which URL each numbered "longurls\" name held after the run that wrote the earlier listing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "export/listing_hash.h"
#include "platform/platform.h"

namespace murel {

/// The lines of an earlier listing whose path lies below a prefix (the numbered names), read as
/// untrusted text: a line counts when it ends in CR LF and holds exactly one tab between a URL and
/// a path; a path named on more than one line has no owner. The listing's size and hash are kept,
/// so that a ListingSeal can tell whether its lines can be believed. Memory stays within the
/// listing's size; a listing that is missing, or cannot be read to its end, names no owner.
class EarlierOwners {
 public:
  /// Reads the listing `path`, keeping the lines whose path begins with `prefix` (without regard
  /// to ASCII case), as the listing shows paths.
  static EarlierOwners Read(Platform& platform, const std::string& path, const std::string& prefix);

  /// Whether the listing names `url`, and no other URL, at `shownPath`.
  bool Holds(std::string_view shownPath, std::string_view url) const;

  /// Whether a listing was read whole; Size and Hash describe it then.
  bool Found() const { return found_; }
  std::uint64_t Size() const { return size_; }
  const ListingHash& Hash() const { return hash_; }

 private:
  /// Takes one line, without its line end.
  void Take(std::string_view line, const std::string& prefix);

  /// Paths in ASCII lower case, each with its URL; none when named twice.
  std::unordered_map<std::string, std::optional<std::string>> owners_;
  bool found_ = false;
  std::uint64_t size_ = 0;
  ListingHash hash_;
};

}  // namespace murel

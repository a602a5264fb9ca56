// The record that a listing's numbered names can be believed.
#pragma once

#include <cstdint>
#include <string>

#include "export/listing_hash.h"
#include "platform/platform.h"

namespace murel {

/// A small file, kept outside the export root (in murel's folder of the user's cache, one for each
/// export root), that vouches for one listing by its size and hash: the run that wrote that
/// listing left every numbered name it lists holding the URL the listing names for it, or nothing.
/// Anything else makes the listing's numbered names unknown, which costs only their copying again:
/// a listing of another run (an earlier version's, a killed run's, one changed by hand), a seal
/// that is missing or cannot be read. A run breaks the seal before it writes a numbered name
/// against what the listing says, so that a run killed at any point leaves no seal that lies.
class ListingSeal {
 public:
  /// The seal in the file `path`; empty for none that can be kept.
  ListingSeal(Platform& platform, std::string path);

  /// Whether the seal vouches for a listing of `size` bytes with the hash `hash`.
  bool Vouches(std::uint64_t size, const ListingHash& hash);

  /// Removes the seal. True when there is none now. Once it is gone, further calls ask nothing of
  /// the system.
  bool Break();

  /// Makes the seal vouch for a listing of `size` bytes with the hash `hash`, unless it does.
  /// A seal that cannot be written is broken.
  void Set(std::uint64_t size, const ListingHash& hash);

 private:
  /// The text of a seal for a listing of `size` bytes with the hash `hash`.
  static std::string Text(std::uint64_t size, const ListingHash& hash);

  Platform& platform_;
  std::string path_;
  bool broken_ = false;  ///< Removed by this run, and not set since.
};

}  // namespace murel

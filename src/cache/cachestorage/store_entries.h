// The entries of a CacheStorage store (Chromium's or Firefox's), gathered before they are
// delivered.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "cache/core/cache_reader.h"
#include "platform/platform.h"

namespace murel {

/// The most entries one store gives; the rest of a larger one is passed over, so that memory
/// stays bounded whatever the store claims.
constexpr std::size_t kMaxStoreEntries = std::size_t{1} << 20;

/// Gathers the entries of every cache of a store. A page may put one URL in several caches; only
/// the entry stored last (StoredBody::stored; on a tie the one added last) is delivered, the
/// others count as passed over.
class StoreEntries {
 public:
  /// Adds an entry that an export writes (its stored body set), unless kMaxStoreEntries are in.
  void Add(CacheEntry entry);
  /// Counts an entry that is not exported (an error, a POST, damage).
  void PassOver() { ++passedOver_; }
  /// A reader that delivers the entries in the order they were added, each URL once.
  std::unique_ptr<CacheReader> Reader() &&;

 private:
  std::vector<CacheEntry> entries_;
  std::uint64_t passedOver_ = 0;
};

/// The head a store's entry is delivered with (CacheEntry::head): the status line and the header
/// lines, each ending in NUL, without Content-Encoding, which names a coding the browser has
/// already undone on the stored body.
std::string StoredHead(int status, const std::string& statusText,
                       const std::vector<std::pair<std::string, std::string>>& headers);

/// Reads a store (held open as the folder given, with that full path) whole; null when none is
/// there.
using StoreReading = std::unique_ptr<CacheReader> (*)(Platform& platform, OpenedFolder& store,
                                                      const std::string& path);

/// The reader of the first of `places` where `read` finds a store: each place a chain of folder
/// names below `folder` (a full path, held open as `opened`, or opened here when null), each
/// opened from the one above without following links. Null when no place holds a store.
std::unique_ptr<CacheReader> ReadFirstStore(Platform& platform, const std::string& folder,
                                            std::shared_ptr<OpenedFolder> opened,
                                            const std::vector<std::vector<std::string>>& places,
                                            StoreReading read);

}  // namespace murel

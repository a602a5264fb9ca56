#include "urlcache/index_walk.h"

#include <utility>

#include "urlcache/index_file.h"

namespace murel {
namespace {

// The whole file is decoded when the walk opens, so the walk itself only steps through a list.
class DecodedIndexWalk : public IndexWalk {
 public:
  explicit DecodedIndexWalk(std::vector<IndexEntry> entries) : entries_(std::move(entries)) {}

  WalkStatus Next(std::uint32_t& recordSize, CacheEntry& entry) override {
    if (next_ == entries_.size()) return WalkStatus::kFailed;
    const IndexEntry& current = entries_[next_];
    if (current.recordSize > recordSize) {
      recordSize = current.recordSize;
      return WalkStatus::kBufferTooSmall;
    }
    entry.url = current.url;
    entry.localFile = current.localFile;
    ++next_;
    return WalkStatus::kEntry;
  }

 private:
  std::vector<IndexEntry> entries_;
  std::size_t next_ = 0;
};

}  // namespace

std::unique_ptr<IndexWalk> IndexWalk::Open(std::vector<unsigned char> file,
                                           std::string cacheFolder) {
  std::optional<std::vector<IndexEntry>> entries = ReadIndexFile(file, cacheFolder);
  if (!entries) return nullptr;
  return std::make_unique<DecodedIndexWalk>(std::move(*entries));
}

}  // namespace murel

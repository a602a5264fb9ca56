#include "cache/wininet/index_walk.h"

#include <utility>

#include "cache/wininet/index_file.h"

namespace murel {
namespace {

// Records are decoded one at a time as the walk reaches them, so memory stays bounded by the
// file even when many slots name the same large record.
class IndexFileWalk : public IndexWalk {
 public:
  explicit IndexFileWalk(IndexFile file) : file_(std::move(file)) {}

  WalkStatus Next(std::uint32_t& recordSize, CacheEntry& entry) override {
    if (!Current()) return WalkStatus::kFailed;
    if (current_->recordSize > recordSize) {
      recordSize = current_->recordSize;
      return WalkStatus::kBufferTooSmall;
    }
    entry.url = std::move(current_->url);
    entry.localFile = std::move(current_->localFile);
    entry.storedBody.reset();
    entry.head = std::move(current_->headers);
    entry.refused = !current_->plainNames;
    current_.reset();
    return WalkStatus::kEntry;
  }

 private:
  // Decodes the next URL record into `current_` unless it holds one still to be delivered;
  // records that are no URL or are damaged are passed over. False at the end of the walk.
  bool Current() {
    const std::vector<std::uint32_t>& records = file_.RecordOffsets();
    while (!current_ && next_ < records.size()) current_ = file_.ReadUrlRecord(records[next_++]);
    return current_.has_value();
  }

  IndexFile file_;
  std::size_t next_ = 0;
  std::optional<IndexEntry> current_;
};

}  // namespace

std::unique_ptr<IndexWalk> IndexWalk::Open(std::vector<unsigned char> file,
                                           std::string cacheFolder) {
  std::optional<IndexFile> index = IndexFile::Open(std::move(file), std::move(cacheFolder));
  if (!index) return nullptr;
  return std::make_unique<IndexFileWalk>(std::move(*index));
}

}  // namespace murel

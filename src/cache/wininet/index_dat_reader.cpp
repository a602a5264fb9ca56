#include "cache/wininet/index_dat_reader.h"

#include <optional>
#include <utility>
#include <vector>

#include "cache/core/cache_folder.h"
#include "cache/wininet/index_walk.h"

namespace murel {
namespace {

class IndexDatReader : public CacheReader {
 public:
  IndexDatReader(Platform& platform, std::unique_ptr<IndexWalk> walk)
      : walk_(std::move(walk)), folders_(platform) {}

  // Takes the first entry ahead, so that a cache without one is found before the export starts.
  bool TakeFirst() {
    first_.emplace();
    if (!Read(*first_)) first_.reset();
    return first_.has_value();
  }

  bool Next(CacheEntry& entry) override {
    if (!first_) return Read(entry);
    entry = std::move(*first_);
    first_.reset();
    return true;
  }

 private:
  bool Read(CacheEntry& entry) {
    // The portable walk needs no record buffer: every record fits the largest one.
    std::uint32_t recordSize = UINT32_MAX;
    if (walk_->Next(recordSize, entry) != WalkStatus::kEntry) return false;
    // The content directory must be a folder of the cache itself, not a link to one elsewhere.
    if (!entry.refused && !entry.localFile.empty()) {
      entry.refused =
          !folders_.IsRealFolder(entry.localFile.substr(0, entry.localFile.rfind('\\')));
    }
    return true;
  }

  std::unique_ptr<IndexWalk> walk_;
  CacheFolders folders_;
  std::optional<CacheEntry> first_;
};

// The whole file in one buffer of its size, which the file's own facts give and the bound caps.
std::optional<std::vector<unsigned char>> ReadIndexFile(Platform& platform,
                                                        const std::string& path) {
  const std::unique_ptr<ReadableFile> file = platform.OpenFileForReading(path);
  if (!file || file->Facts().size > kMaxIndexFileSize) return std::nullopt;
  std::vector<unsigned char> bytes =
      platform.RoomForFile(static_cast<std::size_t>(file->Facts().size));
  std::size_t got = 0;
  while (got < bytes.size()) {
    const std::optional<std::size_t> read =
        file->ReadAt(got, bytes.data() + got, bytes.size() - got);
    if (!read) return std::nullopt;
    if (*read == 0) break;
    got += *read;
  }
  // A file that shrank since it was opened is read as far as it goes.
  bytes.resize(got);
  return bytes;
}

}  // namespace

std::unique_ptr<CacheReader> OpenIndexDatReader(Platform& platform, const std::string& path) {
  std::optional<std::vector<unsigned char>> bytes = ReadIndexFile(platform, path);
  if (!bytes) return nullptr;
  const std::size_t slash = path.rfind('\\');
  std::string folder = slash == std::string::npos ? std::string(".") : path.substr(0, slash);
  std::unique_ptr<IndexWalk> walk = IndexWalk::Open(std::move(*bytes), std::move(folder));
  if (!walk) return nullptr;
  auto reader = std::make_unique<IndexDatReader>(platform, std::move(walk));
  if (!reader->TakeFirst()) return nullptr;
  return reader;
}

}  // namespace murel

#include "urlcache/index_dat_reader.h"

#include <utility>
#include <vector>

#include "urlcache/cache_folder.h"
#include "urlcache/index_walk.h"

namespace murel {
namespace {

class IndexDatReader : public CacheReader {
 public:
  IndexDatReader(Platform& platform, std::unique_ptr<IndexWalk> walk)
      : walk_(std::move(walk)), folders_(platform) {}

  bool Next(CacheEntry& entry) override {
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

 private:
  std::unique_ptr<IndexWalk> walk_;
  CacheFolders folders_;
};

// The whole file in one buffer of its size, which the file's own facts give and the bound caps.
std::optional<std::vector<unsigned char>> ReadIndexFile(Platform& platform,
                                                        const std::string& path) {
  const std::unique_ptr<ReadableFile> file = platform.OpenFileForReading(path);
  if (!file || file->Facts().size > kMaxIndexFileSize) return std::nullopt;
  std::vector<unsigned char> bytes(static_cast<std::size_t>(file->Facts().size));
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
  return std::make_unique<IndexDatReader>(platform, std::move(walk));
}

}  // namespace murel

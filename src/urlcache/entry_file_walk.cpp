#include "urlcache/entry_file_walk.h"

#include <algorithm>
#include <utility>

#include "urlcache/held_file.h"

namespace murel {
namespace {

// Files up to this size are read whole in one call: nearly every entry of a browser cache is
// smaller, and its parts and its body then cost that one read.
constexpr std::size_t kHoldLimit = std::size_t{512} << 10;

class EntryFileWalk : public CacheReader {
 public:
  EntryFileWalk(Platform& platform, std::string folder, std::vector<std::string> names,
                EntryFileReading read, EntryMemo* memo)
      : platform_(platform),
        folder_(std::move(folder)),
        names_(std::move(names)),
        read_(std::move(read)),
        memo_(memo) {
    std::sort(names_.begin(), names_.end());
    if (memo_ != nullptr) memo_->Begin(folder_);
  }

  bool Next(CacheEntry& entry) override {
    while (next_ < names_.size()) {
      const std::string& name = names_[next_++];
      const std::string path = folder_ + "\\" + name;
      const EntryMemo::Recall recalled = Recall(name, path, entry);
      if (recalled == EntryMemo::Recall::kEntry) return true;
      if (recalled == EntryMemo::Recall::kUnknown && Read(name, path, entry)) return true;
      ++passedOver_;
    }
    return false;
  }

  std::uint64_t PassedOver() const override { return passedOver_; }

 private:
  // What the earlier memo says of the file; a file that is gone or no regular file is passed over
  // as reading it would.
  EntryMemo::Recall Recall(const std::string& name, const std::string& path, CacheEntry& entry) {
    if (memo_ == nullptr || !memo_->HasEarlier()) return EntryMemo::Recall::kUnknown;
    const std::optional<FileFacts> facts = platform_.QueryFile(path);
    if (!facts || facts->kind != FileKind::kRegular) return EntryMemo::Recall::kPassedOver;
    return memo_->Find(name, path, *facts, entry);
  }

  bool Read(const std::string& name, const std::string& path, CacheEntry& entry) {
    const std::shared_ptr<HeldFile> file = HeldFile::Open(platform_, path, kHoldLimit);
    if (!file) return false;
    const bool taken = read_(*file, path, entry);
    if (memo_ != nullptr) memo_->Remember(name, file->Facts(), taken ? &entry : nullptr);
    // The copy reads the body from the file as it was read here, open and mostly in memory.
    if (taken && entry.storedBody) entry.storedBody->open = [file] { return file; };
    return taken;
  }

  Platform& platform_;
  std::string folder_;
  std::vector<std::string> names_;
  EntryFileReading read_;
  EntryMemo* memo_;
  std::size_t next_ = 0;
  std::uint64_t passedOver_ = 0;
};

}  // namespace

std::unique_ptr<CacheReader> WalkEntryFiles(Platform& platform, std::string folder,
                                            std::vector<std::string> names, EntryFileReading read,
                                            EntryMemo* memo) {
  return std::make_unique<EntryFileWalk>(platform, std::move(folder), std::move(names),
                                         std::move(read), memo);
}

}  // namespace murel

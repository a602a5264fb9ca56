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
  EntryFileWalk(Platform& platform, std::string folder, std::vector<FolderItem> items,
                EntryFileReading read, EntryMemo* memo)
      : platform_(platform),
        folder_(std::move(folder)),
        items_(std::move(items)),
        read_(std::move(read)),
        memo_(memo) {}

  bool Next(CacheEntry& entry) override {
    while (next_ < items_.size()) {
      const FolderItem& item = items_[next_++];
      const std::string path = folder_ + "\\" + item.name;
      const EntryMemo::Recall recalled = Recall(item, path, entry);
      if (recalled == EntryMemo::Recall::kEntry) return true;
      if (recalled == EntryMemo::Recall::kUnknown && Read(item.name, path, entry)) return true;
      ++passedOver_;
    }
    return false;
  }

  std::uint64_t PassedOver() const override { return passedOver_; }

 private:
  // What the earlier memo says of the file, by its facts from the listing; a file that is no
  // regular file is passed over as reading it would.
  EntryMemo::Recall Recall(const FolderItem& item, const std::string& path, CacheEntry& entry) {
    if (memo_ == nullptr || !item.facts || !memo_->HasEarlier()) return EntryMemo::Recall::kUnknown;
    if (item.facts->kind != FileKind::kRegular) return EntryMemo::Recall::kPassedOver;
    return memo_->Find(item.name, path, *item.facts, entry);
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
  std::vector<FolderItem> items_;
  EntryFileReading read_;
  EntryMemo* memo_;
  std::size_t next_ = 0;
  std::uint64_t passedOver_ = 0;
};

// The entry files of `folder` in the order of their names, with their facts when `withFacts`.
std::optional<std::vector<FolderItem>> ListEntryFiles(Platform& platform, const std::string& folder,
                                                      bool (*isEntryName)(const std::string&),
                                                      bool withFacts) {
  std::optional<std::vector<FolderItem>> items = platform.ListFolder(folder, withFacts);
  if (!items) return std::nullopt;
  items->erase(
      std::remove_if(items->begin(), items->end(),
                     [isEntryName](const FolderItem& item) { return !isEntryName(item.name); }),
      items->end());
  std::sort(items->begin(), items->end(),
            [](const FolderItem& a, const FolderItem& b) { return a.name < b.name; });
  return items;
}

}  // namespace

std::unique_ptr<CacheReader> WalkEntryFiles(Platform& platform, const std::string& folder,
                                            bool (*isEntryName)(const std::string&),
                                            EntryFileReading read, EntryMemo* memo) {
  if (memo != nullptr) memo->Begin(folder);
  // The facts matter only to a memo that may know the files; a first run reads every file.
  std::optional<std::vector<FolderItem>> items =
      ListEntryFiles(platform, folder, isEntryName, memo != nullptr && memo->HasEarlier());
  if (!items) return nullptr;
  return std::make_unique<EntryFileWalk>(platform, folder, std::move(*items), std::move(read),
                                         memo);
}

}  // namespace murel

#include "cache/cachestorage/store_entries.h"

#include <map>

#include "base/ascii.h"

namespace murel {
namespace {

// Delivers the entries it holds, in order.
class ListReader : public CacheReader {
 public:
  ListReader(std::vector<CacheEntry> entries, std::uint64_t passedOver)
      : entries_(std::move(entries)), passedOver_(passedOver) {}

  bool Next(CacheEntry& entry) override {
    if (next_ == entries_.size()) return false;
    entry = std::move(entries_[next_++]);
    return true;
  }
  std::uint64_t PassedOver() const override { return passedOver_; }
  std::optional<std::uint64_t> Total() const override { return entries_.size() + passedOver_; }

 private:
  std::vector<CacheEntry> entries_;
  std::size_t next_ = 0;
  std::uint64_t passedOver_;
};

}  // namespace

void StoreEntries::Add(CacheEntry entry) {
  if (entries_.size() == kMaxStoreEntries) {
    ++passedOver_;
    return;
  }
  entries_.push_back(std::move(entry));
}

std::unique_ptr<CacheReader> StoreEntries::Reader() && {
  // The entry that goes on for each URL: the one stored last.
  std::map<std::string, std::size_t> newest;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    auto [place, added] = newest.emplace(entries_[i].url, i);
    if (!added && entries_[i].storedBody->stored >= entries_[place->second].storedBody->stored) {
      place->second = i;
    }
  }
  std::vector<CacheEntry> kept;
  kept.reserve(newest.size());
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (newest[entries_[i].url] == i) kept.push_back(std::move(entries_[i]));
  }
  const std::uint64_t replaced = entries_.size() - kept.size();
  return std::make_unique<ListReader>(std::move(kept), passedOver_ + replaced);
}

std::string StoredHead(int status, const std::string& statusText,
                       const std::vector<std::pair<std::string, std::string>>& headers) {
  std::string head = "HTTP/1.1 " + std::to_string(status) + " " + statusText;
  head.push_back('\0');
  for (const auto& [name, value] : headers) {
    if (EqualsNoCase(name, "Content-Encoding")) continue;
    head += name + ": " + value;
    head.push_back('\0');
  }
  head.push_back('\0');
  return head;
}

std::unique_ptr<CacheReader> ReadFirstStore(Platform& platform, const std::string& folder,
                                            std::shared_ptr<OpenedFolder> opened,
                                            const std::vector<std::vector<std::string>>& places,
                                            StoreReading read) {
  const std::shared_ptr<OpenedFolder> named = opened ? opened : platform.OpenFolder(folder);
  if (!named) return nullptr;
  for (const std::vector<std::string>& below : places) {
    std::shared_ptr<OpenedFolder> store = named;
    std::string path = folder;
    for (const std::string& name : below) {
      if (store) store = store->OpenSubfolder(name);
      path += "\\" + name;
    }
    if (!store) continue;
    if (std::unique_ptr<CacheReader> reader = read(platform, *store, path)) return reader;
  }
  return nullptr;
}

}  // namespace murel

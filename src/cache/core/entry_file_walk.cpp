#include "cache/core/entry_file_walk.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "cache/core/held_file.h"
#include "cache/core/sorted_names.h"

namespace murel {
namespace {

// Files up to this size are read whole in one call: nearly every entry of a browser cache is
// smaller, and its parts and its body then cost that one read.
constexpr std::size_t kHoldLimit = std::size_t{512} << 10;
// How far the reading may run ahead of the export: in entries, and in bytes held for them. The
// export takes what is ready all at once, so twice this can be in memory.
constexpr std::size_t kAheadEntries = 256;
constexpr std::uint64_t kAheadBytes = std::uint64_t{2} << 20;
// How many entries ready wake an export that waits for them.
constexpr std::size_t kWakeEntries = kAheadEntries / 2;

// An entry read ahead of the export, with how many files were passed over since the one before.
struct ReadEntry {
  CacheEntry entry;
  std::uint64_t passedOverBefore = 0;
  std::uint64_t bytes = 0;  ///< What the entry holds of its file in memory.
};

// Reads the entry files on a thread of its own, ahead of the export that takes the entries,
// when there is an earlier memo: a re-run then looks at the entry files beside the export's
// looks at its targets. Without one, every file is read and every body written, and the files
// are read on the export's thread as it asks for them: the other cores then go to the writers,
// which create the files, the larger part of the work, where a third busy thread on two cores
// only takes turns with them (a first export 17% slower with it, taken in turns). The memo is
// the reading thread's alone until the walk has ended. When the system cannot start a thread
// (its threads or address space are used up), the walk reads on the export's thread too:
// slower, but the run goes on rather than ending on an exception.
class EntryFileWalk : public CacheReader {
 public:
  EntryFileWalk(std::string folder, std::shared_ptr<OpenedFolder> opened, SortedNames names,
                EntryFileReading read, EntryMemo* memo)
      : folder_(std::move(folder)),
        opened_(std::move(opened)),
        names_(std::move(names)),
        total_(names_.Size()),
        read_(std::move(read)),
        memo_(memo) {
    if (memo_ == nullptr || !memo_->HasEarlier()) return;
    ready_.reserve(kAheadEntries);
    // Started last, when everything it uses is set up.
    try {
      reader_ = std::thread([this] { ReadAll(); });
    } catch (const std::system_error&) {
      // reader_ stays without a thread: Next reads on the caller's thread.
    }
  }

  ~EntryFileWalk() override {
    if (!reader_.joinable()) return;
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      stopped_ = true;
    }
    changed_.notify_all();
    reader_.join();
  }

  bool Next(CacheEntry& entry) override {
    if (nextTaken_ == taken_.size()) reader_.joinable() ? Take() : ReadHere();
    if (nextTaken_ == taken_.size()) return false;
    ReadEntry& read = taken_[nextTaken_++];
    // What `entry` held stays in the taken item, which goes back to the reading thread.
    std::swap(entry, read.entry);
    read.bytes = std::exchange(givenBytes_, read.bytes);
    passedOver_ += read.passedOverBefore;
    return true;
  }

  std::uint64_t PassedOver() const override { return passedOver_; }
  std::optional<std::uint64_t> Total() const override { return total_; }

 private:
  // The export's side: waits for entries read ahead, or for the end, and takes all that are
  // ready, so that the two threads meet once for many entries.
  void Take() {
    std::unique_lock<std::mutex> lock(mutex_);
    exportWaits_ = true;
    changed_.wait(lock, [this] { return !ready_.empty() || ended_; });
    exportWaits_ = false;
    // The entries taken before go back to the reading thread, which allocated their strings
    // and frees them: a block freed by the thread that allocated it costs a fraction of one
    // freed by another, which must take the allocating thread's heap lock. The lists change
    // places, so that their room is allocated once.
    if (spent_.empty()) spent_.swap(taken_);
    taken_.clear();
    taken_.swap(ready_);
    nextTaken_ = 0;
    readyBytes_ = 0;
    if (taken_.empty()) passedOver_ += std::exchange(passedOverAtEnd_, 0);
    if (readerWaits_) changed_.notify_all();
  }

  // The reading side: every item in order, each handed on when it gives an entry.
  void ReadAll() {
    ReadEntry read;
    while (ReadNext(read)) {
      if (!HandOn(std::move(read))) return;
      read = ReadEntry();
    }
    // The names are freed here, beside the export's last entries, rather than after them.
    names_ = SortedNames();
    const std::lock_guard<std::mutex> lock(mutex_);
    passedOverAtEnd_ = read.passedOverBefore;
    ended_ = true;
    if (exportWaits_) changed_.notify_all();
  }

  // Without a reading thread: the next entry, read on the caller's thread, into `taken_`.
  void ReadHere() {
    taken_.clear();
    nextTaken_ = 0;
    ReadEntry read;
    if (ReadNext(read)) {
      taken_.push_back(std::move(read));
    } else {
      passedOver_ += read.passedOverBefore;
    }
  }

  // Reads the items from `next_` on until one gives an entry, counting in `read` those passed
  // over before it; false when the items ran out first (the count then holds those at the end).
  bool ReadNext(ReadEntry& read) {
    while (next_ < names_.Size()) {
      // An item passed over may have filled part of the entry: each starts from an empty one.
      read.entry = CacheEntry();
      // The name goes through a string of the walk's own, whose room every name reuses.
      name_.assign(names_[next_++]);
      if (Resolve(name_, read.entry, read.bytes)) return true;
      ++read.passedOverBefore;
    }
    return false;
  }

  // Queues `read` once there is room. False when the walk is being ended.
  bool HandOn(ReadEntry read) {
    std::unique_lock<std::mutex> lock(mutex_);
    readerWaits_ = true;
    changed_.wait(lock, [this] {
      return stopped_ || (ready_.size() < kAheadEntries && readyBytes_ < kAheadBytes);
    });
    readerWaits_ = false;
    if (stopped_) return false;
    readyBytes_ += read.bytes;
    ready_.push_back(std::move(read));
    if (freeing_.empty()) freeing_.swap(spent_);
    // A waiting export is woken for a batch, or when the reading must wait for it: threads of
    // about the same speed would otherwise meet at every entry, and on a busy machine each
    // meeting costs a switch of threads.
    if (exportWaits_ && (ready_.size() >= kWakeEntries || readyBytes_ >= kAheadBytes)) {
      changed_.notify_all();
    }
    lock.unlock();
    // Two spent entries freed for each one read keep up with the export, and what they free is
    // what the next entries allocate again, still at hand; one that holds its file's bytes is
    // freed at once, so that memory stays bounded.
    for (int i = 0; !freeing_.empty() && (i < 2 || freeing_.back().bytes > 0); ++i) {
      freeing_.pop_back();
    }
    return true;
  }

  // The entry of one file, from the memo or read; false when it is passed over. `bytes` is what
  // the entry holds of the file in memory.
  bool Resolve(const std::string& name, CacheEntry& entry, std::uint64_t& bytes) {
    // One allocation for the path, where the sum of the pieces would make two.
    std::string path;
    path.reserve(folder_.size() + 1 + name.size());
    path.append(folder_).append(1, '\\').append(name);
    const EntryMemo::Recall recalled = Recall(name, entry);
    if (recalled == EntryMemo::Recall::kUnknown) return Read(name, path, entry, bytes);
    if (recalled != EntryMemo::Recall::kEntry) return false;
    // The body is read when it is copied, from the folder held open like every other file.
    if (entry.storedBody) {
      entry.storedBody->file = std::move(path);
      entry.storedBody->open = [opened = opened_, name]() -> std::shared_ptr<ReadableFile> {
        return opened->OpenName(name);
      };
    }
    return true;
  }

  // What the earlier memo says of the file, by its facts; a file that is no regular file is
  // passed over as reading it would. The facts are taken here, on the reading thread and one
  // step from the open folder, rather than with the listing: a re-run then looks at the entry
  // files beside the export's looks at its targets.
  EntryMemo::Recall Recall(const std::string& name, CacheEntry& entry) {
    if (memo_ == nullptr || !memo_->HasEarlier()) return EntryMemo::Recall::kUnknown;
    const std::optional<FileFacts> facts = opened_->QueryName(name);
    if (!facts) return EntryMemo::Recall::kUnknown;
    if (facts->kind != FileKind::kRegular) return EntryMemo::Recall::kPassedOver;
    return memo_->Find(name, *facts, entry);
  }

  bool Read(const std::string& name, const std::string& path, CacheEntry& entry,
            std::uint64_t& bytes) {
    const std::shared_ptr<HeldFile> file = HeldFile::Open(opened_->OpenName(name), kHoldLimit);
    if (!file) return false;
    const bool taken = read_(*file, path, entry);
    if (memo_ != nullptr) memo_->Remember(name, file->Facts(), taken ? &entry : nullptr);
    if (!taken) return false;
    // The copy reads the body from the file as it was read here, open and mostly in memory.
    if (entry.storedBody) entry.storedBody->open = [file] { return file; };
    bytes = std::min<std::uint64_t>(file->Facts().size, kHoldLimit);
    return true;
  }

  // Set up before the reading thread starts, then used by it alone (the folder also by the
  // bodies of recalled entries, when they are copied).
  std::string folder_;
  std::shared_ptr<OpenedFolder> opened_;
  SortedNames names_;
  std::size_t total_;  ///< How many names were listed.
  EntryFileReading read_;
  EntryMemo* memo_;
  std::size_t next_ = 0;            ///< The item of `names_` to read next.
  std::string name_;                ///< That item's name.
  std::vector<ReadEntry> freeing_;  ///< Spent entries the reading thread took back.

  // Shared by the two threads, under `mutex_`.
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<ReadEntry> ready_;  ///< Read, not yet taken by the export.
  std::vector<ReadEntry> spent_;  ///< Given to the export, for the reading thread to free.
  std::uint64_t readyBytes_ = 0;
  std::uint64_t passedOverAtEnd_ = 0;  ///< Passed over after the last entry handed on.
  bool ended_ = false;                 ///< Every item has been read.
  bool stopped_ = false;               ///< The walk is being ended: stop reading.
  bool exportWaits_ = false;
  bool readerWaits_ = false;

  // The export's own: the entries taken, those before `nextTaken_` given out.
  std::vector<ReadEntry> taken_;
  std::size_t nextTaken_ = 0;
  std::uint64_t givenBytes_ = 0;  ///< What the entry given last holds of its file in memory.
  std::uint64_t passedOver_ = 0;

  std::thread reader_;  ///< Without a thread when the system could not start one.
};
}  // namespace

std::unique_ptr<CacheReader> WalkEntryFiles(Platform& platform, const std::string& folder,
                                            std::shared_ptr<OpenedFolder> opened,
                                            bool (*isEntryName)(std::string_view),
                                            EntryFileReading read, EntryMemo* memo) {
  if (memo != nullptr) memo->Begin(folder);
  // A listing of another folder put in the place of `folder` gives only names: each is then
  // looked for in the folder held open.
  std::optional<SortedNames> names = SortedNames::List(platform, folder, isEntryName);
  if (!names) return nullptr;
  return std::make_unique<EntryFileWalk>(folder, std::move(opened), std::move(*names),
                                         std::move(read), memo);
}

}  // namespace murel

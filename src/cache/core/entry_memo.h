// What a run learned from a cache's entry files, kept for the next run.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "cache/core/cache_entry.h"
#include "platform/platform.h"

namespace murel {

/// The memo of a cache that keeps one entry a file (Chromium's simple cache, Firefox): for each
/// entry file, its size and last-write time and the entry read from it (its URL and where its
/// body lies), or that it was passed over. A later run finds a file whose size and time have not
/// changed in the memo and does not read it again: that is what makes a re-run over an unchanged
/// cache cost one look at each file, as a copy of newer files does. The memo lives in murel's
/// folder of the user's cache, one file for each export root and cache folder, written whole
/// under a temporary name at the end of a run and then put in place; one that is missing,
/// damaged, or made for another cache folder is left aside and replaced. A memo that cannot be
/// read or written costs only the reading it would have spared. Memory stays within a line of the
/// memo, since the files are asked in the order of their names, which is the memo's order.
class EntryMemo {
 public:
  /// A memo in the folder `folder` (a full path ending in "\", or empty for no memo at all) for
  /// exports into `exportRoot`; nothing is read or written before Begin.
  EntryMemo(Platform& platform, std::string folder, std::string exportRoot);
  ~EntryMemo();
  EntryMemo(const EntryMemo&) = delete;
  EntryMemo& operator=(const EntryMemo&) = delete;

  /// Starts the memo of the entry files in the folder `folder` (a full path): the earlier memo
  /// is taken when it was made for this folder, and a new one is begun. Its file is named by a
  /// hash of the export root and `folder`.
  void Begin(const std::string& folder);

  /// Whether the earlier memo may still know files, so that looking at a file is worth it.
  bool HasEarlier() const { return earlier_ != nullptr && !earlierEnded_; }

  /// What the earlier memo says of a file.
  enum class Recall {
    kUnknown,     ///< Nothing trusted: the file is to be read.
    kEntry,       ///< `entry` now holds the entry read from it.
    kPassedOver,  ///< It held no entry to export.
  };

  /// What the earlier memo says of the file `name` (in the folder of Begin) that now has `facts`.
  /// Known only when its size and last-write time are the remembered ones and that time lies
  /// well before the earlier run began (a file written in the same instant as that run read it
  /// could have changed unseen). What is known goes on into the new memo as it is. A recalled
  /// entry's stored body names no file: the caller names it. Names must be asked in ascending
  /// order.
  Recall Find(const std::string& name, const FileFacts& facts, CacheEntry& entry);

  /// Adds the file `name` with the facts `facts` (as it was read) to the new memo: the stored
  /// body entry `entry`, or passed over when it is null. Names must come in ascending order.
  void Remember(const std::string& name, const FileFacts& facts, const CacheEntry* entry);

  /// Puts the new memo in place of the earlier one. Nothing when none was begun or it could not
  /// be written, or when it is the earlier one: a run over an unchanged cache writes nothing.
  void Save();

 private:
  class Lines;

  /// Moves the earlier memo on to its first line for a name not before `name`.
  bool SeekEarlier(const std::string& name);
  /// Carries the earlier memo's current line on into the new memo.
  void Carry();
  /// Creates the writer of the new memo and puts the header first.
  void StartWriting();
  /// Ends keeping the earlier memo as it is: the new one is written from here on, beginning with
  /// the lines kept so far.
  void StopKeeping();
  /// Adds `line` and a line end to the new memo.
  void Append(std::string_view line);
  /// Adds a tab and the decimal `value` to the new memo.
  void AppendField(std::uint64_t value);
  /// Hands the new memo's buffered lines to its writer; drops the writer on failure.
  void Flush();

  Platform& platform_;
  std::string folder_;              ///< Where the memos are; empty for none.
  std::string exportRoot_;          ///< The root of the exports it serves.
  std::string path_;                ///< The memo file, from Begin; empty for none.
  FileTime began_ = 0;              ///< When this run began its memo.
  FileTime earlierBegan_ = 0;       ///< When the run of the earlier memo began it.
  std::unique_ptr<Lines> earlier_;  ///< The earlier memo from its next line; null if none.
  bool earlierEnded_ = false;       ///< The earlier memo has no further line.
  std::string_view line_;           ///< The earlier memo's current line, its name first.
  /// The new memo is so far the earlier memo's lines in [keptStart_, keptEnd_), unwritten.
  bool keeping_ = false;
  std::uint64_t keptStart_ = 0;
  std::uint64_t keptEnd_ = 0;
  std::string header_;  ///< The new memo's first line.
  std::unique_ptr<BodyWriter> writer_;
  std::string pending_;  ///< New lines not yet handed to the writer.
};

}  // namespace murel

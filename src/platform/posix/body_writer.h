// A new file written at its target's name, or under a copy temporary renamed over the target.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <memory>
#include <set>
#include <string>

#include "platform/platform.h"

namespace murel {

/// The POSIX body writer. A target that does not exist yet is created at its own name; one that
/// exists is replaced by a copy temporary (copy_temp.h) renamed over it, so that it stays whole
/// until the new file is. Either file holds no permission bits until it is in place with its
/// time, so that a killed run leaves nothing a later run takes for finished: an unfinished
/// target is no one's to read, and such a file is written again. Abandoning removes the file.
class PosixBodyWriter : public BodyWriter {
 public:
  /// Starts the file that replaces the host path `target`. The first writer into a folder in this
  /// run (as `cleanedFolders` records) removes the stale temporaries of killed runs there. Null if
  /// no temporary can be made; `nextNumber` as for CreateCopyTemp.
  static std::unique_ptr<PosixBodyWriter> Create(const std::string& target,
                                                 std::set<std::string>& cleanedFolders,
                                                 std::uint32_t& nextNumber);
  /// Starts the new file `target` at its own name when nothing is there; null when anything is
  /// (or on failure). CleanFolderOf must have been called for it.
  static std::unique_ptr<PosixBodyWriter> CreateNew(const std::string& target);
  /// Removes the stale temporaries of killed runs from the folder of the host path `target`,
  /// unless `cleanedFolders` records that this run did (it records it then).
  static void CleanFolderOf(const std::string& target, std::set<std::string>& cleanedFolders);
  ~PosixBodyWriter() override;
  PosixBodyWriter(const PosixBodyWriter&) = delete;
  PosixBodyWriter& operator=(const PosixBodyWriter&) = delete;

  bool Append(const unsigned char* data, std::size_t size) override;
  bool Commit(FileTime time) override;

  /// The new file's open descriptor, for writers that fill it themselves.
  int fd() const { return fd_; }
  /// Commit with a last-write time to the nanosecond.
  bool CommitWithTime(const timespec& time);

 private:
  PosixBodyWriter(std::string target, std::string temporary, int fd)
      : target_(std::move(target)), temporary_(std::move(temporary)), fd_(fd) {}

  std::string target_;
  std::string temporary_;  ///< The file written (the target itself when it was new); empty once
                           ///< in place or removed.
  int fd_;
};

/// The host time (seconds and nanoseconds since 1970) of a FILETIME value.
timespec ToHostTime(FileTime time);

}  // namespace murel

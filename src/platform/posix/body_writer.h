// A new file written under a copy temporary in its target's folder and renamed over the target.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <memory>
#include <set>
#include <string>

#include "platform/platform.h"

namespace murel {

/// The POSIX body writer: a copy temporary (copy_temp.h) that holds no permission bits until it
/// has replaced its target, so that a killed run leaves nothing a later run takes for finished.
/// Abandoning removes the temporary.
class PosixBodyWriter : public BodyWriter {
 public:
  /// Starts the file that replaces the host path `target`. The first writer into a folder in this
  /// run (as `cleanedFolders` records) removes the stale temporaries of killed runs there. Null if
  /// no temporary can be made; `nextNumber` as for CreateCopyTemp.
  static std::unique_ptr<PosixBodyWriter> Create(const std::string& target,
                                                 std::set<std::string>& cleanedFolders,
                                                 std::uint32_t& nextNumber);
  ~PosixBodyWriter() override;
  PosixBodyWriter(const PosixBodyWriter&) = delete;
  PosixBodyWriter& operator=(const PosixBodyWriter&) = delete;

  bool Append(const unsigned char* data, std::size_t size) override;
  bool Commit(FileTime time) override;

  /// The temporary's open descriptor, for writers that fill it themselves.
  int fd() const { return fd_; }
  /// Commit with a last-write time to the nanosecond.
  bool CommitWithTime(const timespec& time);

 private:
  PosixBodyWriter(std::string target, std::string temporary, int fd)
      : target_(std::move(target)), temporary_(std::move(temporary)), fd_(fd) {}

  std::string target_;
  std::string temporary_;  ///< Empty once renamed or removed.
  int fd_;
};

/// The host time (seconds and nanoseconds since 1970) of a FILETIME value.
timespec ToHostTime(FileTime time);

}  // namespace murel

#include "platform/posix/body_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/posix/copy_temp.h"

namespace murel {
namespace {

// Seconds from 1601-01-01 (the FILETIME epoch) to 1970-01-01 (the host's epoch).
constexpr std::int64_t kEpochDifference = 11644473600;
constexpr std::int64_t kTicksPerSecond = 10000000;

// The folder part of a host path: "." for a bare name, "/" for a name in the root.
std::string HostParent(const std::string& hostPath) {
  const std::size_t slash = hostPath.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : hostPath.substr(0, slash);
}

}  // namespace

timespec ToHostTime(FileTime time) {
  const auto ticks = static_cast<std::int64_t>(time);
  timespec host{};
  host.tv_sec = static_cast<time_t>(ticks / kTicksPerSecond - kEpochDifference);
  host.tv_nsec = static_cast<long>(ticks % kTicksPerSecond * 100);
  return host;
}

void PosixBodyWriter::CleanFolderOf(const std::string& target,
                                    std::set<std::string>& cleanedFolders) {
  const std::string folder = HostParent(target);
  // A run killed while it wrote leaves its temporary in the target's folder; the first writer
  // into a folder in this run removes those.
  if (cleanedFolders.insert(folder).second) RemoveStaleCopyTemps(folder);
}

std::unique_ptr<PosixBodyWriter> PosixBodyWriter::CreateNew(const std::string& target) {
  // A new target costs no rename: O_EXCL makes sure the name was free and the file is ours.
  const int fd = open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0);
  if (fd < 0) return nullptr;
  return std::unique_ptr<PosixBodyWriter>(new PosixBodyWriter(target, target, fd));
}

std::unique_ptr<PosixBodyWriter> PosixBodyWriter::Create(const std::string& target,
                                                         std::set<std::string>& cleanedFolders,
                                                         std::uint32_t& nextNumber) {
  CleanFolderOf(target, cleanedFolders);
  if (std::unique_ptr<PosixBodyWriter> writer = CreateNew(target)) return writer;
  const std::string folder = HostParent(target);
  int fd = -1;
  std::optional<std::string> temporary = CreateCopyTemp(folder, nextNumber, fd);
  if (!temporary) return nullptr;
  return std::unique_ptr<PosixBodyWriter>(new PosixBodyWriter(target, std::move(*temporary), fd));
}

PosixBodyWriter::~PosixBodyWriter() {
  if (!temporary_.empty()) unlink(temporary_.c_str());
  if (fd_ >= 0) close(fd_);
}

bool PosixBodyWriter::Append(const unsigned char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = write(fd_, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

bool PosixBodyWriter::Commit(FileTime time) { return CommitWithTime(ToHostTime(time)); }

bool PosixBodyWriter::CommitWithTime(const timespec& time) {
  // The access time is the time of the copy, as on Windows.
  const timespec times[2] = {{0, UTIME_NOW}, time};
  // rename() replaces an existing target in one step, so readers see the old file or the whole
  // new one; it refuses a folder as the target, and replaces a link rather than writing through
  // it. A new target is in its place already. The permissions come last: until then the name
  // holds a file without any, which a later run takes for unfinished (a stale temporary, or a
  // target that no one may read, which it writes again), whenever this process is killed.
  const bool renamed = futimens(fd_, times) == 0 &&
                       (temporary_ == target_ || rename(temporary_.c_str(), target_.c_str()) == 0);
  if (!renamed) unlink(temporary_.c_str());
  temporary_.clear();
  const bool finished = renamed && FinishCopyTemp(fd_);
  const bool closed = close(fd_) == 0;
  fd_ = -1;
  return finished && closed;
}

}  // namespace murel

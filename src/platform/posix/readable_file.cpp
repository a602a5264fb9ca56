#include "platform/posix/readable_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "platform/posix/posix_platform.h"

namespace murel {
namespace {

// Rooms from this size on are made present at once: a few large pages' worth.
constexpr std::size_t kLargeRoom = std::size_t{4} << 20;

// Makes the whole pages within `size` bytes at `start` present at once, in large pages where the
// system keeps them. A fault costs about 10 µs in a virtual machine: a 5 MB index.dat read into
// memory page by page took 20 ms, made present at once 3 ms. Advice that the system does not take
// (no large pages, an older kernel) changes nothing but the time.
void MakePresent(unsigned char* start, std::size_t size) {
  const auto pageSize = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  const auto address = reinterpret_cast<std::uintptr_t>(start);
  const std::uintptr_t first = (address + pageSize - 1) / pageSize * pageSize;
  const std::uintptr_t end = (address + size) / pageSize * pageSize;
  if (end <= first) return;
  void* const pages = reinterpret_cast<void*>(first);
  madvise(pages, end - first, MADV_HUGEPAGE);
  madvise(pages, end - first, MADV_POPULATE_WRITE);
}

FileFacts FactsOf(const struct stat& info) {
  FileFacts facts;
  if (S_ISREG(info.st_mode)) {
    facts.kind = FileKind::kRegular;
  } else if (S_ISDIR(info.st_mode)) {
    facts.kind = FileKind::kDirectory;
  } else if (S_ISLNK(info.st_mode)) {
    facts.kind = FileKind::kLink;
  }
  facts.size = static_cast<std::uint64_t>(info.st_size);
  facts.time = ToFileTime(info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
  return facts;
}

class HostFile : public ReadableFile {
 public:
  HostFile(int fd, const struct stat& info) : fd_(fd), facts_(FactsOf(info)) {}
  ~HostFile() override { close(fd_); }
  HostFile(const HostFile&) = delete;
  HostFile& operator=(const HostFile&) = delete;

  const FileFacts& Facts() const override { return facts_; }

  std::optional<std::size_t> ReadAt(std::uint64_t offset, unsigned char* buffer,
                                    std::size_t size) override {
    std::size_t got = 0;
    while (got < size) {
      const ssize_t read = pread(fd_, buffer + got, size - got, static_cast<off_t>(offset + got));
      if (read < 0 && errno == EINTR) continue;
      if (read < 0) return std::nullopt;
      if (read == 0) break;
      got += static_cast<std::size_t>(read);
    }
    return got;
  }

 private:
  int fd_;
  FileFacts facts_;
};

}  // namespace

std::optional<FileFacts> QueryHostName(int folderFd, const char* name) {
  struct stat info {};
  if (fstatat(folderFd, name, &info, AT_SYMLINK_NOFOLLOW) != 0) return std::nullopt;
  FileFacts facts = FactsOf(info);
  // A copy gets its permissions last: a file that no one may read is one that a killed run left
  // unfinished, in the way of the finished copy, never one.
  if (facts.kind == FileKind::kRegular && (info.st_mode & 0444) == 0) facts.kind = FileKind::kOther;
  return facts;
}

namespace {

int OpenRegularFileAt(int folderFd, const char* name, struct stat& info) {
  // O_NONBLOCK: opening a FIFO without a writer would otherwise wait for ever. O_NOFOLLOW: a link
  // at the last level fails to open. Whatever opened is then checked to be a regular file.
  const int fd = openat(folderFd, name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return -1;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

int OpenRegularFile(const std::string& hostPath, struct stat& info) {
  return OpenRegularFileAt(AT_FDCWD, hostPath.c_str(), info);
}

std::unique_ptr<ReadableFile> OpenHostFileAt(int folderFd, const char* name) {
  struct stat info {};
  const int fd = OpenRegularFileAt(folderFd, name, info);
  if (fd < 0) return nullptr;
  return std::make_unique<HostFile>(fd, info);
}

std::unique_ptr<ReadableFile> OpenHostFile(const std::string& hostPath) {
  return OpenHostFileAt(AT_FDCWD, hostPath.c_str());
}

std::vector<unsigned char> RoomForHostFile(std::size_t size) {
  std::vector<unsigned char> room;
  room.reserve(size);
  if (size >= kLargeRoom) MakePresent(room.data(), size);
  room.resize(size);
  return room;
}

}  // namespace murel

#include "platform/posix/readable_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/posix_platform.h"

namespace murel {
namespace {

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

}  // namespace murel

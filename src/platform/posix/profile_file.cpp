// A profile file is read in fixed chunks through a line splitter: a 50 MB murel.ini costs a chunk
// and one line of memory, not the whole file and its parse.

#include "platform/posix/profile_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace murel {
namespace {

constexpr std::size_t kChunkSize = std::size_t{1} << 16;

// The descriptor of the regular file at `hostPath`, -1 otherwise. O_NONBLOCK keeps a pipe from
// holding the open; the file itself is then read as usual.
int OpenRegular(const std::string& hostPath) {
  const int fd = open(hostPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return -1;
  }
  return fd;
}

// Feeds the file to `splitter` up to its end or until the reader is done; false on a read error.
bool FeedFile(int fd, ProfileLineSplitter& splitter) {
  std::vector<char> chunk(kChunkSize);
  for (;;) {
    const ssize_t got = read(fd, chunk.data(), chunk.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) {
      splitter.Finish();
      return true;
    }
    if (!splitter.Feed(std::string_view(chunk.data(), static_cast<std::size_t>(got)))) return true;
  }
}

}  // namespace

bool ReadProfileFile(const std::string& hostPath, ProfileLineReader& reader) {
  const int fd = OpenRegular(hostPath);
  if (fd < 0) return false;
  ProfileLineSplitter splitter(reader);
  const bool read = FeedFile(fd, splitter);
  close(fd);
  return read;
}

}  // namespace murel

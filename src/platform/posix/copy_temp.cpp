#include "platform/posix/copy_temp.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace murel {
namespace {

constexpr const char* kPrefix = ".murel-";
constexpr const char* kSuffix = ".tmp";
// Numbers of new names are 16-bit and never 0, like the system's temporary names.
constexpr std::uint32_t kNumberRange = 0xFFFF;

// The umask can only be read by setting it. It is read before main, while the process has one
// thread, so that setting it back at once changes nothing for any file; nothing in a run
// changes it afterwards.
mode_t ReadCreationMask() {
  const mode_t current = umask(0);
  umask(current);
  return current;
}
const mode_t kCreationMask = ReadCreationMask();

// The process number in a temporary's name ".murel-<pid>-<hex>.tmp"; empty for any other name.
std::optional<pid_t> WriterOf(const std::string& name) {
  const std::string prefix = kPrefix;
  const std::string suffix = kSuffix;
  if (name.size() <= prefix.size() + suffix.size() || name.rfind(prefix, 0) != 0 ||
      name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
    return std::nullopt;
  }
  unsigned long pid = 0;
  unsigned number = 0;
  int used = 0;
  const std::string middle =
      name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
  if (std::sscanf(middle.c_str(), "%lu-%X%n", &pid, &number, &used) != 2 ||
      static_cast<std::size_t>(used) != middle.size() || pid == 0) {
    return std::nullopt;
  }
  return static_cast<pid_t>(pid);
}

// A temporary whose writer is gone: no process has its number (a process of another user, or a
// number in use again, counts as alive, so the file stays), and the file is still without
// permissions and ours.
bool IsStale(const std::string& path, pid_t writer) {
  if (writer == getpid() || kill(writer, 0) == 0 || errno != ESRCH) return false;
  struct stat info {};
  return lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 07777) == 0 &&
         info.st_uid == geteuid();
}

}  // namespace

std::optional<std::string> CreateNumberedFile(const std::string& hostDir, const std::string& stem,
                                              const std::string& suffix, mode_t mode,
                                              std::uint32_t& nextNumber, int& fd) {
  const std::string start = hostDir + "/" + stem;
  for (std::uint32_t tries = 0; tries < kNumberRange; ++tries) {
    char number[16];
    std::snprintf(number, sizeof number, "%X", nextNumber++ % kNumberRange + 1);
    const std::string name = start + number + suffix;
    fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0) return name;
    if (errno != EEXIST) return std::nullopt;
  }
  return std::nullopt;
}

std::optional<std::string> CreateCopyTemp(const std::string& hostDir, std::uint32_t& nextNumber,
                                          int& fd) {
  // No permission bits: a run killed before the rename leaves a file that cannot be mistaken
  // for a finished copy.
  return CreateNumberedFile(hostDir, kPrefix + std::to_string(getpid()) + "-", kSuffix, 0,
                            nextNumber, fd);
}

bool FinishCopyTemp(int fd) { return fchmod(fd, 0666 & ~kCreationMask) == 0; }

void RemoveStaleCopyTemps(const std::string& hostDir) {
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(hostDir.c_str()), closedir);
  if (!dir) return;
  while (const dirent* item = readdir(dir.get())) {
    const std::string name = item->d_name;
    const std::optional<pid_t> writer = WriterOf(name);
    const std::string path = hostDir + "/" + name;
    if (writer && IsStale(path, *writer)) unlink(path.c_str());
  }
}

}  // namespace murel

// The host runner on POSIX: scratch folders in /tmp, the program started with fork and exec.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <thread>

#include "platform/posix/host_path.h"
#include "support/host_files.h"
#include "support/host_runner.h"

namespace fs = std::filesystem;

namespace murel {
namespace {

constexpr auto kRunLimit = std::chrono::minutes(2);

// Starts the program in `folder` with `arguments` and waits for it; `limitFiles` keeps it from
// writing any file past 16 KiB (the write fails instead of killing it). Its exit status, -1 if a
// signal ended it or it ran past the limit (then it is killed).
int RunChild(const std::string& folder, const std::vector<std::string>& arguments,
             bool limitFiles) {
  std::vector<char*> argv{const_cast<char*>(MUREL_BINARY)};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    if (limitFiles) {
      // An ignored SIGXFSZ stays ignored across exec: the write past the limit fails with EFBIG.
      const rlimit small{16 << 10, 16 << 10};
      setrlimit(RLIMIT_FSIZE, &small);
      std::signal(SIGXFSZ, SIG_IGN);
    }
    if (chdir(folder.c_str()) == 0) execv(MUREL_BINARY, argv.data());
    _exit(127);
  }
  const auto deadline = std::chrono::steady_clock::now() + kRunLimit;
  int status = 0;
  while (waitpid(child, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

HostFolder::HostFolder(const std::string& tag) {
  std::string name = "/tmp/murel-" + tag + "-XXXXXX";
  if (::mkdtemp(name.data()) != nullptr) path_ = name;
}

HostFolder::~HostFolder() {
  std::error_code ignored;
  if (!path_.empty()) fs::remove_all(path_, ignored);
}

std::string HostFolder::At(const std::string& relative) const { return path_ + "/" + relative; }

std::string HostForm(std::string relative) { return relative; }

std::string ProgramPath(const std::string& hostPath) { return WindowsFormOf(hostPath); }

int RunMurel(const std::string& folder, const std::vector<std::string>& arguments) {
  return RunChild(folder, arguments, false);
}

std::vector<std::string> HostTree(const std::string& folder, const std::string& skip) {
  return TreeOf(folder, skip);
}

bool MakeFolders(const std::string& path) {
  std::error_code ignored;
  fs::create_directories(path, ignored);
  return fs::is_directory(path, ignored);
}

bool WriteHostFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  return static_cast<bool>(out.flush());
}

bool SetHostFileTime(const std::string& path, std::time_t time) {
  const timespec times[2] = {{time, 0}, {time, 0}};
  return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

std::time_t HostFileTime(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 ? info.st_mtime : 0;
}

std::vector<std::string> SystemRefusedTargets() { return {}; }

void PutFolderInPlace(const std::string& folder, const std::string& other) {
  std::error_code ignored;
  fs::rename(folder, folder + "-aside", ignored);
  fs::create_directory_symlink(other, folder, ignored);
}

int RunMurelRefusing(const std::string&, const std::string& folder,
                     const std::vector<std::string>& arguments) {
  return RunChild(folder, arguments, true);
}

std::vector<std::string> HostProfileSection(const std::string& file, const std::string& section,
                                            std::size_t capacity) {
  return PosixPlatform().ReadProfileSection(section, file, capacity);
}

}  // namespace murel

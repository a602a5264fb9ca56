// The platform services on a POSIX host. Paths arrive in Windows form and are mapped onto the
// host (drive Z: is the root) before each system call.

#include "platform/posix/posix_platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string_view>
#include <utility>
#include <vector>

#include "base/windows_names.h"
#include "platform/posix/body_writer.h"
#include "platform/posix/config_folders.h"
#include "platform/posix/copy_temp.h"
#include "platform/posix/host_path.h"
#include "platform/posix/profile_file.h"
#include "platform/posix/readable_file.h"
#include "platform/posix/status_line.h"
#include "platform/posix/terminal_text.h"
#include "platform/posix/user_folders.h"
#include "platform/posix/user_language.h"
#include "platform/posix/wine_profile.h"
#include "platform/profile_text.h"

namespace murel {
namespace {

// Seconds from 1601-01-01 (the FILETIME epoch) to 1970-01-01 (the host's epoch).
constexpr std::int64_t kEpochDifference = 11644473600;

// Attribute bit that Windows sets on ordinary files.
constexpr std::uint32_t kFileAttributeArchive = 0x20;

std::string CurrentHostDir() {
  std::string buffer(4096, '\0');
  while (getcwd(&buffer[0], buffer.size()) == nullptr) {
    if (errno != ERANGE) return "/";
    buffer.resize(buffer.size() * 2);
  }
  buffer.resize(buffer.find('\0'));
  return buffer;
}

std::optional<struct stat> StatOf(const std::string& hostPath) {
  struct stat info {};
  if (stat(hostPath.c_str(), &info) != 0) return std::nullopt;
  return info;
}

// Copies within the kernel, with no pass through our memory. Empty when the system cannot do it
// for these files (an old kernel, another file system, a file that reports no size): then
// nothing has been written, and the caller copies through a buffer.
std::optional<bool> CopyInKernel(int in, int out) {
  bool copied = false;
  for (;;) {
    const ssize_t sent = copy_file_range(in, nullptr, out, nullptr, std::size_t{1} << 30, 0);
    if (sent < 0 && errno == EINTR) continue;
    if (sent > 0) {
      copied = true;
      continue;
    }
    if (copied) return sent == 0;
    return std::nullopt;
  }
}

bool CopyBytes(int in, PosixBodyWriter& out) {
  if (const std::optional<bool> copied = CopyInKernel(in, out.fd())) return *copied;
  unsigned char buffer[1 << 16];
  for (;;) {
    const ssize_t got = read(in, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    if (!out.Append(buffer, static_cast<std::size_t>(got))) return false;
  }
}

// rename() that fails instead of replacing. RENAME_NOREPLACE makes it atomic; on a file system
// without it, a check beforehand is the best available.
bool RenameNoReplace(const std::string& from, const std::string& to) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  struct stat info {};
  if (lstat(to.c_str(), &info) == 0) return false;
  return rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace

FileTime ToFileTime(std::int64_t seconds, std::int64_t nanoseconds) {
  return static_cast<FileTime>((seconds + kEpochDifference) * 10000000 + nanoseconds / 100);
}

PosixPlatform::PosixPlatform()
    // Different processes start at different numbers so that they rarely collide.
    : nextNumber_(static_cast<std::uint32_t>(getpid()) ^
                  static_cast<std::uint32_t>(std::time(nullptr))) {}

std::optional<std::string> PosixPlatform::WineUserProfile() {
  return FullWindowsPath(HostWineUserProfile(), CurrentHostDir());
}

std::vector<UserFolder> PosixPlatform::UserFolders() {
  std::vector<UserFolder> folders;
  for (const auto& [kind, host] : HostUserFolders()) {
    struct stat info {};
    if (stat(host.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) continue;
    const std::optional<std::string> full = FullWindowsPath(host, CurrentHostDir());
    if (full) folders.push_back({kind, *full});
  }
  return folders;
}

std::optional<std::string> PosixPlatform::UserCacheFolder() {
  return FullWindowsPath(HostCacheHome(), CurrentHostDir());
}

// Linux has no cache service of its own.
WalkStatus PosixPlatform::StartCacheWalk(const std::string& /*searchPattern*/,
                                         std::uint32_t& /*recordSize*/, UrlCacheEntry& /*entry*/,
                                         std::unique_ptr<CacheWalk>& /*walk*/) {
  return WalkStatus::kFailed;
}

WalkStatus PosixPlatform::ContinueCacheWalk(CacheWalk& /*walk*/, std::uint32_t& /*recordSize*/,
                                            UrlCacheEntry& /*entry*/) {
  return WalkStatus::kFailed;
}

std::optional<FileFacts> PosixPlatform::QueryFile(const std::string& path) {
  const char* const host = ScratchHostPath(path);
  return host ? QueryHostName(AT_FDCWD, host) : std::nullopt;
}

std::vector<unsigned char> PosixPlatform::RoomForFile(std::size_t size) {
  return RoomForHostFile(size);
}

std::unique_ptr<ReadableFile> PosixPlatform::OpenFileForReading(const std::string& path) {
  const std::optional<std::string> host = HostPathOf(path);
  return host ? OpenHostFile(*host) : nullptr;
}

namespace {

// A folder open as a file descriptor: a name in it is one step of a path from there, whatever
// the folder's path leads to meanwhile.
class PosixOpenedFolder : public OpenedFolder {
 public:
  explicit PosixOpenedFolder(int fd) : fd_(fd) {}
  ~PosixOpenedFolder() override { close(fd_); }
  PosixOpenedFolder(const PosixOpenedFolder&) = delete;
  PosixOpenedFolder& operator=(const PosixOpenedFolder&) = delete;

  std::optional<FileFacts> QueryName(const std::string& name) override {
    if (!IsOneStepName(name)) return std::nullopt;
    return QueryHostName(fd_, name.c_str());
  }

  std::unique_ptr<ReadableFile> OpenName(const std::string& name) override {
    if (!IsOneStepName(name)) return nullptr;
    return OpenHostFileAt(fd_, name.c_str());
  }

  std::unique_ptr<OpenedFolder> OpenSubfolder(const std::string& name) override {
    if (!IsOneStepName(name)) return nullptr;
    return Open(fd_, name.c_str(), O_NOFOLLOW);
  }

  /// The folder `name` relative to `at` (a folder descriptor or AT_FDCWD), opened with `flags`
  /// besides those of any folder; null if it is no folder.
  static std::unique_ptr<PosixOpenedFolder> Open(int at, const char* name, int flags) {
    const int fd = openat(at, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC | flags);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixOpenedFolder>(fd);
  }

  /// The folder's descriptor, for looks one step from it.
  int Descriptor() const { return fd_; }

 private:
  int fd_;
};

// Looks at host paths one after the other. From the second look in a row into one folder, the
// folder is held open (O_PATH: its search permission is all the look needs, as for the whole
// path) and each look is one step from it: the system then resolves one name rather than every
// level of the path. Only absolute paths are held, which no change of the current folder moves.
class PosixFileLooks : public FileLooks {
 public:
  std::optional<FileFacts> Query(const std::string& path) override {
    const char* const host = ScratchHostPath(path);
    if (host == nullptr) return std::nullopt;
    const std::string_view whole(host);
    const std::size_t cut = whole.rfind('/');
    const char* const name = host + cut + 1;
    const PosixOpenedFolder* const held =
        cut == std::string_view::npos || whole[0] != '/' ? nullptr : HeldFor(whole.substr(0, cut));
    return held != nullptr && IsOneStepName(name) ? QueryHostName(held->Descriptor(), name)
                                                  : QueryHostName(AT_FDCWD, host);
  }

 private:
  // `folder` held open when the look before this one was into it too; null otherwise, or when
  // it cannot be opened.
  const PosixOpenedFolder* HeldFor(std::string_view folder) {
    if (folder != folder_) {
      folder_.assign(folder);
      opened_ = false;
      held_.reset();
      return nullptr;
    }
    if (!opened_) {
      opened_ = true;
      // The root's name is empty here.
      held_ = PosixOpenedFolder::Open(AT_FDCWD, folder_.empty() ? "/" : folder_.c_str(), O_PATH);
    }
    return held_.get();
  }

  std::string folder_;   ///< The folder of the last path looked at, as a host path.
  bool opened_ = false;  ///< Whether `folder_` was opened, or could not be.
  std::unique_ptr<PosixOpenedFolder> held_;  ///< `folder_` held open; null when not.
};

}  // namespace

std::unique_ptr<FileLooks> PosixPlatform::LooksInTurn() {
  return std::make_unique<PosixFileLooks>();
}

std::unique_ptr<OpenedFolder> PosixPlatform::OpenFolder(const std::string& path) {
  const std::optional<std::string> host = HostPathOf(path);
  if (!host) return nullptr;
  return PosixOpenedFolder::Open(AT_FDCWD, host->c_str(), 0);
}

namespace {

using FolderStream = std::unique_ptr<DIR, int (*)(DIR*)>;

// The folder at the host path of `path` open for reading its names; null when it cannot be.
FolderStream OpenFolderStream(const std::string& path) {
  const std::optional<std::string> host = HostPathOf(path);
  return FolderStream(host ? opendir(host->c_str()) : nullptr, closedir);
}

// Gives `take` every name of `dir` but "." and ".."; false when it cannot be read to its end.
template <typename Take>
bool ReadFolderNames(DIR* dir, const Take& take) {
  errno = 0;
  while (const dirent* entry = readdir(dir)) {
    const std::string_view name(entry->d_name);
    if (name != "." && name != "..") take(entry->d_name);
    errno = 0;
  }
  return errno == 0;
}

}  // namespace

std::optional<std::vector<FolderItem>> PosixPlatform::ListFolder(const std::string& path,
                                                                 bool withFacts) {
  const FolderStream dir = OpenFolderStream(path);
  if (!dir) return std::nullopt;
  std::vector<FolderItem> items;
  // A cache folder holds thousands of names: room for them from the start spares the copies of
  // a growing list and the fresh pages each copy touches. The folder's size in bytes tells
  // roughly how many names it holds (ext4 keeps at least 12 bytes a name); pages reserved and
  // never filled cost nothing.
  struct stat info {};
  if (fstat(dirfd(dir.get()), &info) == 0 && info.st_size > 0) {
    items.reserve(std::min<std::size_t>(static_cast<std::size_t>(info.st_size) / 12, 1u << 20));
  }
  const bool read = ReadFolderNames(dir.get(), [&](const char* name) {
    // A name looked up in the open folder costs one step of the path, not all of them.
    items.push_back({name, withFacts ? QueryHostName(dirfd(dir.get()), name) : std::nullopt});
  });
  if (!read) return std::nullopt;
  return items;
}

bool PosixPlatform::ListNames(const std::string& path,
                              const std::function<void(std::string_view name)>& take) {
  const FolderStream dir = OpenFolderStream(path);
  return dir && ReadFolderNames(dir.get(), take);
}

std::unique_ptr<BodyWriter> PosixPlatform::CreateBodyWriter(const std::string& target) {
  const std::optional<std::string> host = HostPathOf(target);
  if (!host) return nullptr;
  const std::lock_guard<std::mutex> lock(namesMutex_);
  return PosixBodyWriter::Create(*host, cleanedFolders_, nextNumber_);
}

std::unique_ptr<BodyWriter> PosixPlatform::CreateNewBodyWriter(const std::string& target) {
  const std::optional<std::string> host = HostPathOf(target);
  if (!host) return nullptr;
  {
    const std::lock_guard<std::mutex> lock(namesMutex_);
    PosixBodyWriter::CleanFolderOf(*host, cleanedFolders_);
  }
  // Creating the file takes no name of the run's own: the writers create theirs side by side.
  return PosixBodyWriter::CreateNew(*host);
}

bool PosixPlatform::CreateFolder(const std::string& path) {
  const std::optional<std::string> host = HostPathOf(path);
  return host && mkdir(host->c_str(), 0777) == 0;
}

std::optional<std::uint32_t> PosixPlatform::QueryAttributes(const std::string& path) {
  const char* const host = ScratchHostPath(path);
  struct stat info {};
  if (host == nullptr || lstat(host, &info) != 0) return std::nullopt;
  if (!S_ISLNK(info.st_mode)) {
    return S_ISDIR(info.st_mode) ? kFileAttributeDirectory : kFileAttributeArchive;
  }
  // As on Windows, a link is a reparse point, and a link to a directory a directory too.
  const std::optional<struct stat> target = StatOf(host);
  const bool directory = target && S_ISDIR(target->st_mode);
  return kFileAttributeReparsePoint | (directory ? kFileAttributeDirectory : kFileAttributeArchive);
}

std::optional<std::string> PosixPlatform::CreateTemporaryFile(const std::string& dir,
                                                              const std::string& prefix,
                                                              unsigned unique) {
  const std::optional<std::string> host = HostPathOf(dir);
  if (!host) return std::nullopt;
  const std::lock_guard<std::mutex> lock(namesMutex_);
  // A non-zero number is where the search starts; the program passes 0.
  if (unique != 0) nextNumber_ = unique - 1;
  // Windows uses at most three characters of the prefix.
  int fd = -1;
  const std::optional<std::string> created =
      CreateNumberedFile(*host, prefix.substr(0, 3), ".TMP", 0666, nextNumber_, fd);
  if (!created) return std::nullopt;
  close(fd);
  return FullWindowsPath(*created, CurrentHostDir());
}

bool PosixPlatform::RemoveFile(const std::string& path) {
  const std::optional<std::string> host = HostPathOf(path);
  return host && unlink(host->c_str()) == 0;
}

bool PosixPlatform::Rename(const std::string& from, const std::string& to) {
  const std::optional<std::string> hostFrom = HostPathOf(from);
  const std::optional<std::string> hostTo = HostPathOf(to);
  return hostFrom && hostTo && RenameNoReplace(*hostFrom, *hostTo);
}

LastWriteTime PosixPlatform::ReadLastWriteTime(const std::string& path) {
  LastWriteTime result;
  const char* const host = ScratchHostPath(path);
  // One look at the name instead of opening it: an export's re-run asks this of every target.
  // What Windows could not open counts as unopenable: a folder, a link (in the export folder a
  // file in the way, to be replaced, never followed), and a file that no one may read. A file
  // without any permission bits is taken as unopenable for root too, so that a copy killed
  // before it got its permissions is made again.
  struct stat info {};
  if (host == nullptr || lstat(host, &info) != 0) return result;
  if (S_ISDIR(info.st_mode) || S_ISLNK(info.st_mode) || (info.st_mode & 0444) == 0) return result;
  result.opened = true;
  result.time = ToFileTime(info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
  return result;
}

SourceFile PosixPlatform::LookAtSource(const std::string& path) {
  // A regular file by QueryFile's measure (no folder, no link, someone may read it) is one that
  // ReadLastWriteTime opens, and its time is the same: one lstat tells both.
  SourceFile source{QueryFile(path), {}};
  if (source.facts && source.facts->kind == FileKind::kRegular) {
    source.read = {true, source.facts->time};
  }
  return source;
}

bool PosixPlatform::CopyReplacing(const std::string& from, const std::string& to) {
  const std::optional<std::string> source = HostPathOf(from);
  const std::optional<std::string> target = HostPathOf(to);
  if (!source || !target) return false;
  struct stat info {};
  const int in = OpenRegularFile(*source, info);
  if (in < 0) return false;
  std::unique_ptr<PosixBodyWriter> writer;
  {
    const std::lock_guard<std::mutex> lock(namesMutex_);
    writer = PosixBodyWriter::Create(*target, cleanedFolders_, nextNumber_);
  }
  // The copy gets the source's modification time to the nanosecond.
  const bool copied = writer && CopyBytes(in, *writer) && writer->CommitWithTime(info.st_mtim);
  close(in);
  return copied;
}

std::optional<std::string> PosixPlatform::FullPath(const std::string& path, std::size_t limit) {
  // The export asks for many absolute paths; they need no look at the current directory.
  std::optional<std::string> full =
      FullWindowsPath(path, IsRootedPath(path) ? std::string("/") : CurrentHostDir());
  if (!full || full->size() > limit) return std::nullopt;
  return full;
}

std::optional<std::string> PosixPlatform::ProgramPath() {
  std::string buffer(4096, '\0');
  const ssize_t length = readlink("/proc/self/exe", &buffer[0], buffer.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size()) return std::nullopt;
  buffer.resize(static_cast<std::size_t>(length));
  return WindowsFormOf(buffer);
}

bool PosixPlatform::ChangeCurrentFolder(const std::string& path) {
  const std::optional<std::string> host = HostPathOf(path);
  return host && chdir(host->c_str()) == 0;
}

std::vector<std::string> PosixPlatform::ReadProfileSection(const std::string& section,
                                                           const std::string& file,
                                                           std::size_t capacity) {
  const std::optional<std::string> host = HostPathOf(file);
  SectionEntries reader(section, capacity);
  if (!host || !ReadProfileFile(*host, reader)) return {};
  return reader.TakeEntries();
}

std::vector<std::string> PosixPlatform::ReadProfileStrings(const std::string& section,
                                                           const std::vector<std::string>& keys,
                                                           const std::string& file) {
  const std::optional<std::string> host = HostPathOf(file);
  SectionValues reader(section, keys);
  if (!host || !ReadProfileFile(*host, reader)) return std::vector<std::string>(keys.size());
  return reader.Values();
}

std::vector<std::string> PosixPlatform::ConfigurationFolders() {
  // The home folder comes first among the user's folders.
  const std::string home = HostUserFolders().front().second;
  std::vector<std::string> folders;
  for (const std::string& host :
       XdgConfigFolders(home, std::getenv("XDG_CONFIG_HOME"), std::getenv("XDG_CONFIG_DIRS"))) {
    folders.push_back(WindowsFormOf(host));
  }
  return folders;
}

Conventions PosixPlatform::UserConventions() { return Conventions::kUnix; }

std::string PosixPlatform::LastErrorText() {
  // In English: murel sets no locale, so the C library gives its built-in messages.
  return errno != 0 ? std::strerror(errno) : std::string();
}

std::string PosixPlatform::UserLanguage() {
  return LocaleLanguage(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

void PosixPlatform::ShowMessage(const ShownText& text, const ShownText& caption, BoxIcon icon) {
  // The usage box is what the user asked for; warnings and errors go where errors go.
  std::FILE* out = icon == BoxIcon::kNone ? stdout : stderr;
  // A box must not run into the progress line; the next redraw brings that back below it.
  ClearStatusLine(statusDrawn_);
  // A terminal gets control characters escaped, since a cache file's name can hold escape
  // sequences; a pipe or file gets the text byte for byte, as scripts have always seen it.
  const bool terminal = isatty(fileno(out)) == 1;
  const auto form = [terminal](const ShownText& t) {
    return terminal ? EscapeControls(TerminalText(t)) : TerminalText(t);
  };
  const std::string shown = form(caption) + "\n" + form(text) + "\n";
  std::fwrite(shown.data(), 1, shown.size(), out);
  std::fflush(out);
}

std::unique_ptr<StatusLine> PosixPlatform::OpenStatusLine() {
  return OpenTerminalStatusLine(statusDrawn_);
}

std::uint64_t PosixPlatform::SteadyMilliseconds() {
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now().time_since_epoch())
                                        .count());
}

FileTime PosixPlatform::CurrentTime() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return ToFileTime(now.tv_sec, now.tv_nsec);
}

std::string PosixPlatform::DisplayPath(const std::string& path) { return DisplayHostPath(path); }

}  // namespace murel

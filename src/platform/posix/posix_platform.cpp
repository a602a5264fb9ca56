// The platform services on a POSIX host. Paths arrive in Windows form and are mapped onto the
// host (drive Z: is the root) before each system call.

#include "platform/posix/posix_platform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

#include "platform/posix/copy_temp.h"
#include "platform/posix/host_path.h"
#include "platform/posix/listing_file.h"
#include "platform/posix/terminal_text.h"
#include "platform/posix/wine_cache.h"
#include "platform/profile_text.h"
#include "urlcache/index_walk.h"

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

std::optional<std::string> ReadHostFile(const std::string& hostPath) {
  std::ifstream in(hostPath, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return bytes.str();
}

// The whole file in one buffer of its own size: the index.dat reader takes it without a copy, so
// the peak stays at one file's size.
std::optional<std::vector<unsigned char>> ReadHostBytes(const std::string& hostPath) {
  const int fd = open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat info {};
  bool ok = fstat(fd, &info) == 0;
  // One byte more than the size, so that the read that finds the end needs no larger buffer.
  std::vector<unsigned char> bytes(ok ? static_cast<std::size_t>(info.st_size) + 1 : 0);
  std::size_t got = 0;
  while (ok) {
    // A file that grew since, or that reports no size, is read on in steps.
    if (got == bytes.size()) bytes.resize(got + (1 << 16));
    const ssize_t read = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (read < 0 && errno == EINTR) continue;
    if (read <= 0) {
      ok = read == 0;
      break;
    }
    got += static_cast<std::size_t>(read);
  }
  close(fd);
  if (!ok) return std::nullopt;
  bytes.resize(got);
  return bytes;
}

// The folder part of a host path: "." for a bare name, "/" for a name in the root.
std::string HostParent(const std::string& hostPath) {
  const std::size_t slash = hostPath.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : hostPath.substr(0, slash);
}

// The host path of the index file that `cachePath` names: the file itself, or the index.dat in
// the folder it names.
std::optional<std::string> CacheIndexOf(const std::string& cachePath) {
  std::optional<std::string> host = HostPathOf(cachePath);
  if (!host) return std::nullopt;
  std::optional<struct stat> info = StatOf(*host);
  if (info && S_ISDIR(info->st_mode)) {
    host = *host + "/index.dat";
    info = StatOf(*host);
  }
  if (!info || !S_ISREG(info->st_mode)) return std::nullopt;
  return host;
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = write(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
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

bool CopyBytes(int in, int out) {
  if (const std::optional<bool> copied = CopyInKernel(in, out)) return *copied;
  char buffer[1 << 16];
  for (;;) {
    const ssize_t got = read(in, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    if (!WriteAll(out, buffer, static_cast<std::size_t>(got))) return false;
  }
}

// Fills the new file `out` from `in` and gives it the source's modification time to the
// nanosecond; the access time is the time of the copy, as on Windows.
bool FillCopy(int in, const struct stat& source, int out) {
  const timespec times[2] = {{0, UTIME_NOW}, source.st_mtim};
  return CopyBytes(in, out) && futimens(out, times) == 0;
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

WalkStatus PosixPlatform::FindFirstUrlCacheEntryA(const std::string& cachePath,
                                                  const std::string& /*searchPattern*/,
                                                  std::uint32_t& recordSize, CacheEntry& entry,
                                                  std::unique_ptr<CacheWalk>& walk) {
  const std::optional<std::string> index =
      cachePath.empty() ? FindWineCacheIndex() : CacheIndexOf(cachePath);
  if (!index) return WalkStatus::kFailed;
  std::optional<std::vector<unsigned char>> bytes = ReadHostBytes(*index);
  const std::optional<std::string> folder = FullWindowsPath(HostParent(*index), CurrentHostDir());
  if (!bytes || !folder) return WalkStatus::kFailed;

  std::unique_ptr<IndexWalk> opened = IndexWalk::Open(std::move(*bytes), *folder);
  if (!opened) return WalkStatus::kFailed;
  // As with the Windows service, a first entry that does not fit leaves no walk open: the
  // caller starts again with a larger record.
  const WalkStatus status = opened->Next(recordSize, entry);
  if (status == WalkStatus::kEntry) walk = std::move(opened);
  return status;
}

WalkStatus PosixPlatform::FindNextUrlCacheEntryA(CacheWalk& walk, std::uint32_t& recordSize,
                                                 CacheEntry& entry) {
  auto* index = dynamic_cast<IndexWalk*>(&walk);
  return index != nullptr ? index->Next(recordSize, entry) : WalkStatus::kFailed;
}

bool PosixPlatform::CreateDirectoryA(const std::string& path) {
  const std::optional<std::string> host = HostPathOf(path);
  return host && mkdir(host->c_str(), 0777) == 0;
}

std::optional<std::uint32_t> PosixPlatform::GetFileAttributesA(const std::string& path) {
  const std::optional<std::string> host = HostPathOf(path);
  const std::optional<struct stat> info = host ? StatOf(*host) : std::nullopt;
  if (!info) return std::nullopt;
  return S_ISDIR(info->st_mode) ? kFileAttributeDirectory : kFileAttributeArchive;
}

std::optional<std::string> PosixPlatform::GetTempFileNameA(const std::string& dir,
                                                           const std::string& prefix,
                                                           unsigned unique) {
  const std::optional<std::string> host = HostPathOf(dir);
  if (!host) return std::nullopt;
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

bool PosixPlatform::DeleteFileA(const std::string& path) {
  const std::optional<std::string> host = HostPathOf(path);
  return host && unlink(host->c_str()) == 0;
}

bool PosixPlatform::MoveFileA(const std::string& from, const std::string& to) {
  const std::optional<std::string> hostFrom = HostPathOf(from);
  const std::optional<std::string> hostTo = HostPathOf(to);
  return hostFrom && hostTo && RenameNoReplace(*hostFrom, *hostTo);
}

LastWriteTime PosixPlatform::ReadLastWriteTime(const std::string& path) {
  LastWriteTime result;
  const std::optional<std::string> host = HostPathOf(path);
  const int fd = host ? open(host->c_str(), O_RDONLY | O_CLOEXEC) : -1;
  if (fd < 0) return result;
  struct stat info {};
  const bool read = fstat(fd, &info) == 0;
  close(fd);
  // Windows cannot open a folder as a file; the caller takes a folder for "no file here". A file
  // without any permission bits opens for no one but root: it is taken as unopenable for root
  // too, so that a copy killed before it got its permissions is made again.
  if (read && (S_ISDIR(info.st_mode) || (info.st_mode & 07777) == 0)) return result;
  result.opened = true;
  if (read) result.time = ToFileTime(info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
  return result;
}

bool PosixPlatform::CopyFileA(const std::string& from, const std::string& to) {
  const std::optional<std::string> source = HostPathOf(from);
  const std::optional<std::string> target = HostPathOf(to);
  if (!source || !target) return false;
  const int in = open(source->c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  struct stat info {};
  int out = -1;
  const std::string folder = HostParent(*target);
  // A run killed while it copied leaves its temporary in the target's folder; the first copy
  // into a folder in this run removes those.
  if (cleanedFolders_.insert(folder).second) RemoveStaleCopyTemps(folder);
  const std::optional<std::string> temporary = fstat(in, &info) == 0 && S_ISREG(info.st_mode)
                                                   ? CreateCopyTemp(folder, nextNumber_, out)
                                                   : std::nullopt;
  const bool filled = temporary && FillCopy(in, info, out);
  close(in);
  if (!temporary) return false;
  // rename() replaces the target in one step, so readers see the old file or the whole new one;
  // it refuses a folder as the target. The permissions come after it: until then the name holds
  // a file without any, which a later run takes for unfinished (a stale temporary, or a target
  // it cannot open and so copies again), whenever this process is killed.
  const bool renamed = filled && rename(temporary->c_str(), target->c_str()) == 0;
  if (!renamed) unlink(temporary->c_str());
  const bool finished = renamed && FinishCopyTemp(out);
  return close(out) == 0 && finished;
}

std::optional<std::string> PosixPlatform::GetFullPathNameA(const std::string& path,
                                                           std::size_t limit) {
  // The export asks for many absolute paths; they need no look at the current directory.
  const std::optional<std::string> host = HostPathOf(path);
  const bool absolute = host && !host->empty() && (*host)[0] == '/';
  std::optional<std::string> full = FullWindowsPath(path, absolute ? "/" : CurrentHostDir());
  if (!full || full->size() > limit) return std::nullopt;
  return full;
}

std::optional<std::string> PosixPlatform::GetModuleFileNameA() {
  std::string buffer(4096, '\0');
  const ssize_t length = readlink("/proc/self/exe", &buffer[0], buffer.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size()) return std::nullopt;
  buffer.resize(static_cast<std::size_t>(length));
  return WindowsFormOf(buffer);
}

bool PosixPlatform::SetCurrentDirectoryA(const std::string& path) {
  const std::optional<std::string> host = HostPathOf(path);
  return host && chdir(host->c_str()) == 0;
}

std::vector<std::string> PosixPlatform::GetPrivateProfileSectionA(const std::string& section,
                                                                  const std::string& file,
                                                                  std::size_t capacity) {
  const std::optional<std::string> host = HostPathOf(file);
  const std::optional<std::string> text = host ? ReadHostFile(*host) : std::nullopt;
  if (!text) return {};
  return ProfileSection(*text, section, capacity);
}

std::string PosixPlatform::GetPrivateProfileStringA(const std::string& section,
                                                    const std::string& key,
                                                    const std::string& file) {
  const std::optional<std::string> host = HostPathOf(file);
  const std::optional<std::string> text = host ? ReadHostFile(*host) : std::nullopt;
  if (!text) return std::string();
  return ProfileString(*text, section, key);
}

void PosixPlatform::MessageBoxA(const std::string& text, const std::string& caption, BoxIcon icon) {
  // The usage box is what the user asked for; warnings and errors go where errors go.
  std::FILE* out = icon == BoxIcon::kNone ? stdout : stderr;
  const std::string shown = TerminalText(caption) + "\n" + TerminalText(text) + "\n";
  std::fwrite(shown.data(), 1, shown.size(), out);
  std::fflush(out);
}

std::unique_ptr<ListingFile> PosixPlatform::OpenListingFile(const std::string& path) {
  const std::optional<std::string> host = HostPathOf(path);
  if (!host) return nullptr;
  return PosixListingFile::Create(*host);
}

std::string PosixPlatform::DisplayPath(const std::string& path) { return DisplayHostPath(path); }

}  // namespace murel

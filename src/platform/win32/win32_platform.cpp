#include "platform/win32/win32_platform.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <utility>

#include "platform/win32/win32_files.h"

namespace murel {
namespace {

// A walk over WinINet's cache. The find handle is the walk; closing it ends the walk.
class WinInetWalk : public CacheWalk {
 public:
  explicit WinInetWalk(HANDLE handle) : handle_(handle) {}
  ~WinInetWalk() override { ::FindCloseUrlCache(handle_); }
  WinInetWalk(const WinInetWalk&) = delete;
  WinInetWalk& operator=(const WinInetWalk&) = delete;

  HANDLE handle() const { return handle_; }

 private:
  HANDLE handle_;
};

// A record buffer of `size` bytes for INTERNET_CACHE_ENTRY_INFOA. The record starts with pointers,
// so the storage is made of 64-bit words; it is never smaller than the fixed part, which keeps the
// service from writing past it whatever size the caller offers.
class EntryRecord {
 public:
  explicit EntryRecord(std::uint32_t size)
      : size_(size),
        words_((std::max<std::size_t>(size, sizeof(INTERNET_CACHE_ENTRY_INFOA)) + 7) / 8) {}

  INTERNET_CACHE_ENTRY_INFOA* info() {
    return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(words_.data());
  }
  DWORD* size() { return &size_; }

  // The entry's URL and local file; a missing text is empty.
  UrlCacheEntry Entry() {
    const INTERNET_CACHE_ENTRY_INFOA* record = info();
    UrlCacheEntry entry;
    if (record->lpszSourceUrlName != nullptr) entry.url = record->lpszSourceUrlName;
    if (record->lpszLocalFileName != nullptr) entry.localFile = record->lpszLocalFileName;
    return entry;
  }

 private:
  DWORD size_;
  std::vector<std::uint64_t> words_;
};

// How a failed WinINet call ends a step: a record that does not fit is told apart, and its size
// handed back, so that the caller can offer a larger buffer instead of losing the entry.
WalkStatus FailedStep(EntryRecord& record, std::uint32_t& recordSize) {
  if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return WalkStatus::kFailed;
  recordSize = *record.size();
  return WalkStatus::kBufferTooSmall;
}

// The folder part of `path`: everything before its last separator; "." when it has none.
std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  if (slash == std::string::npos) return ".";
  return path.substr(0, slash);
}

// Every entry of a profile section. The system returns the buffer's size less two when the
// section did not fit; the buffer then grows until it holds the whole section.
std::vector<std::string> ReadSection(const std::string& section, const std::string& file,
                                     std::size_t capacity) {
  std::vector<std::string> entries;
  DWORD size = static_cast<DWORD>(std::clamp<std::size_t>(capacity, 2, MAXDWORD / 2));
  std::vector<char> buffer;
  DWORD length = 0;
  for (;;) {
    buffer.assign(size, '\0');
    length = ::GetPrivateProfileSectionA(section.c_str(), buffer.data(), size, file.c_str());
    if (length + 2 < size || size > MAXDWORD / 4) break;
    size *= 2;
  }
  // The entries are NUL-terminated texts one after another; an empty text ends the list.
  const char* const end = buffer.data() + length;
  for (const char* start = buffer.data(); start < end && *start != '\0';) {
    const char* stop = std::find(start, end, '\0');
    entries.emplace_back(start, stop);
    start = stop + 1;
  }
  return entries;
}

// The code page number that MultiByteToWideChar reads a piece in.
UINT CodePageNumber(CodePage codePage) { return codePage == CodePage::kBuiltIn ? 1251 : CP_ACP; }

// A shown text in UTF-16, each piece read in its own code page: the built-in texts then show
// as written on a system whose ANSI code page is not Windows-1251.
std::wstring WideText(const ShownText& text) {
  std::wstring wide;
  for (const ShownText::Piece& piece : text.Pieces()) {
    const int size = static_cast<int>(piece.bytes.size());
    const UINT codePage = CodePageNumber(piece.codePage);
    const int length = ::MultiByteToWideChar(codePage, 0, piece.bytes.data(), size, nullptr, 0);
    if (length <= 0) continue;
    const std::size_t at = wide.size();
    wide.resize(at + static_cast<std::size_t>(length));
    ::MultiByteToWideChar(codePage, 0, piece.bytes.data(), size, &wide[at], length);
  }
  return wide;
}

// The path in the environment variable `name`; empty when it is unset or longer than a path.
std::optional<std::string> EnvironmentPath(const char* name) {
  char value[MAX_PATH];
  const DWORD length = ::GetEnvironmentVariableA(name, value, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::nullopt;
  return std::string(value, length);
}

}  // namespace

std::optional<std::string> Win32Platform::WineUserProfile() { return std::nullopt; }

std::vector<UserFolder> Win32Platform::UserFolders() {
  const std::pair<UserFolderKind, const char*> variables[] = {
      {UserFolderKind::kHome, "USERPROFILE"},
      {UserFolderKind::kLocalAppData, "LOCALAPPDATA"},
      {UserFolderKind::kRoamingAppData, "APPDATA"},
  };
  std::vector<UserFolder> folders;
  for (const auto& [kind, name] : variables) {
    const std::optional<std::string> value = EnvironmentPath(name);
    if (!value) continue;
    const DWORD attributes = ::GetFileAttributesA(value->c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
      continue;
    folders.push_back({kind, *value});
  }
  return folders;
}

std::optional<std::string> Win32Platform::UserCacheFolder() {
  return EnvironmentPath("LOCALAPPDATA");
}

WalkStatus Win32Platform::StartCacheWalk(const std::string& searchPattern,
                                         std::uint32_t& recordSize, UrlCacheEntry& entry,
                                         std::unique_ptr<CacheWalk>& walk) {
  // The documented way to walk the whole content cache is a null pattern; the empty text names
  // no container.
  const char* pattern = searchPattern.empty() ? nullptr : searchPattern.c_str();
  EntryRecord record(recordSize);
  HANDLE handle = ::FindFirstUrlCacheEntryA(pattern, record.info(), record.size());
  if (handle == nullptr) return FailedStep(record, recordSize);
  entry = record.Entry();
  walk = std::make_unique<WinInetWalk>(handle);
  return WalkStatus::kEntry;
}

WalkStatus Win32Platform::ContinueCacheWalk(CacheWalk& walk, std::uint32_t& recordSize,
                                            UrlCacheEntry& entry) {
  auto* wininet = dynamic_cast<WinInetWalk*>(&walk);
  if (wininet == nullptr) return WalkStatus::kFailed;
  EntryRecord record(recordSize);
  // WinINet stays on an entry whose record does not fit, so the retry delivers it.
  if (!::FindNextUrlCacheEntryA(wininet->handle(), record.info(), record.size())) {
    return FailedStep(record, recordSize);
  }
  entry = record.Entry();
  return WalkStatus::kEntry;
}

std::optional<FileFacts> Win32Platform::QueryFile(const std::string& path) {
  return QueryWindowsFile(path);
}

std::unique_ptr<ReadableFile> Win32Platform::OpenFileForReading(const std::string& path) {
  return OpenWindowsFile(path);
}

std::optional<std::vector<FolderItem>> Win32Platform::ListFolder(const std::string& path,
                                                                 bool /*withFacts*/) {
  return ListWindowsFolder(path);
}

std::unique_ptr<OpenedFolder> Win32Platform::OpenFolder(const std::string& path) {
  return OpenWindowsFolder(path);
}

std::unique_ptr<BodyWriter> Win32Platform::CreateBodyWriter(const std::string& target) {
  const std::optional<std::string> temporary = CreateTemporaryFile(FolderOf(target), "mur", 0);
  if (!temporary) return nullptr;
  return CreateWindowsBodyWriter(*temporary, target);
}

std::unique_ptr<BodyWriter> Win32Platform::CreateNewBodyWriter(const std::string& target) {
  if (QueryWindowsFile(target)) return nullptr;
  return CreateBodyWriter(target);
}

bool Win32Platform::CreateFolder(const std::string& path) {
  return ::CreateDirectoryA(path.c_str(), nullptr) != FALSE;
}

std::optional<std::uint32_t> Win32Platform::QueryAttributes(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return attributes;
}

std::optional<std::string> Win32Platform::CreateTemporaryFile(const std::string& dir,
                                                              const std::string& prefix,
                                                              unsigned unique) {
  char name[MAX_PATH];
  if (::GetTempFileNameA(dir.c_str(), prefix.c_str(), unique, name) == 0) return std::nullopt;
  return std::string(name);
}

bool Win32Platform::RemoveFile(const std::string& path) {
  return ::DeleteFileA(path.c_str()) != FALSE;
}

bool Win32Platform::Rename(const std::string& from, const std::string& to) {
  return ::MoveFileA(from.c_str(), to.c_str()) != FALSE;
}

LastWriteTime Win32Platform::ReadLastWriteTime(const std::string& path) {
  LastWriteTime result;
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return result;
  result.opened = true;
  BY_HANDLE_FILE_INFORMATION info;
  if (::GetFileInformationByHandle(file, &info) != FALSE) {
    result.time = (static_cast<FileTime>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                  info.ftLastWriteTime.dwLowDateTime;
  }
  ::CloseHandle(file);
  return result;
}

bool Win32Platform::CopyReplacing(const std::string& from, const std::string& to) {
  // The copy goes to a fresh name beside the target and is renamed over it only when whole, so
  // an interrupted run never leaves a partial file with a new time. ::CopyFileA gives the copy
  // the source's last-write time, and the rename keeps it.
  const std::optional<std::string> temporary = CreateTemporaryFile(FolderOf(to), "mur", 0);
  if (!temporary) return false;
  const bool copied =
      ::CopyFileA(from.c_str(), temporary->c_str(), FALSE) != FALSE &&
      ::MoveFileExA(temporary->c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
  if (!copied) ::DeleteFileA(temporary->c_str());
  return copied;
}

std::optional<std::string> Win32Platform::FullPath(const std::string& path, std::size_t limit) {
  // One character more than the limit holds the NUL; a longer result reports the size it needs,
  // which is then over the limit.
  std::vector<char> buffer(limit + 1);
  const DWORD length =
      ::GetFullPathNameA(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
  if (length == 0 || length > limit) return std::nullopt;
  return std::string(buffer.data(), length);
}

std::optional<std::string> Win32Platform::ProgramPath() {
  // A result that fills the buffer may be cut: try again with a larger one.
  for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
    std::vector<char> buffer(size);
    const DWORD length = ::GetModuleFileNameA(nullptr, buffer.data(), size);
    if (length == 0) return std::nullopt;
    if (length < size) return std::string(buffer.data(), length);
  }
  return std::nullopt;
}

bool Win32Platform::ChangeCurrentFolder(const std::string& path) {
  return ::SetCurrentDirectoryA(path.c_str()) != FALSE;
}

std::vector<std::string> Win32Platform::ReadProfileSection(const std::string& section,
                                                           const std::string& file,
                                                           std::size_t capacity) {
  // A section cut by the buffer ends in a cut entry (the system keeps as much of the last entry
  // as fits), and a cut rule is worse than a lost one. So the section is read whole, growing the
  // buffer while the system reports it full, and only entries that fit `capacity` completely are
  // kept: each costs its length and its NUL, and the list's closing NUL is counted too.
  std::vector<std::string> entries;
  std::size_t used = 1;
  for (std::string& entry : ReadSection(section, file, capacity)) {
    if (used + entry.size() + 1 > capacity) break;
    used += entry.size() + 1;
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::vector<std::string> Win32Platform::ReadProfileStrings(const std::string& section,
                                                           const std::vector<std::string>& keys,
                                                           const std::string& file) {
  // The system keeps recently read profile files in memory, so asking key by key does not read
  // the file again for each key.
  std::vector<std::string> values;
  for (const std::string& key : keys) {
    char value[500];
    const DWORD length = ::GetPrivateProfileStringA(section.c_str(), key.c_str(), "", value,
                                                    sizeof value, file.c_str());
    values.emplace_back(value, length);
  }
  return values;
}

// The program reads its configuration from the current folder only, as it always has.
std::vector<std::string> Win32Platform::ConfigurationFolders() { return {}; }

Conventions Win32Platform::UserConventions() { return Conventions::kWindows; }

std::string Win32Platform::LastErrorText() {
  const DWORD error = ::GetLastError();
  if (error == ERROR_SUCCESS) return std::string();
  char text[512];
  DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, text, sizeof text, nullptr);
  // The system ends its sentences with a period and a line break; a reason is shown without them,
  // as the C library gives its own.
  while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' ||
                        text[length - 1] == ' ' || text[length - 1] == '.')) {
    --length;
  }
  return std::string(text, length);
}

std::string Win32Platform::UserLanguage() { return std::string(); }

void Win32Platform::ShowMessage(const ShownText& text, const ShownText& caption, BoxIcon icon) {
  UINT style = MB_OK;
  if (icon == BoxIcon::kWarning) style |= MB_ICONWARNING;
  if (icon == BoxIcon::kError) style |= MB_ICONERROR;
  ::MessageBoxW(nullptr, WideText(text).c_str(), WideText(caption).c_str(), style);
}

std::unique_ptr<StatusLine> Win32Platform::OpenStatusLine() { return nullptr; }

std::uint64_t Win32Platform::SteadyMilliseconds() { return ::GetTickCount64(); }

FileTime Win32Platform::CurrentTime() {
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  return (static_cast<FileTime>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

std::string Win32Platform::DisplayPath(const std::string& path) { return path; }

}  // namespace murel

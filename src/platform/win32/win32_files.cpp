#include "platform/win32/win32_files.h"

#include <windows.h>
#include <winternl.h>

#include <utility>

#include "base/windows_names.h"

namespace murel {
namespace {

FileTime TimeOf(const FILETIME& time) {
  return (static_cast<FileTime>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FileFacts FactsOf(DWORD attributes, DWORD sizeHigh, DWORD sizeLow, const FILETIME& written) {
  FileFacts facts;
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    facts.kind = FileKind::kLink;
  } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    facts.kind = FileKind::kDirectory;
  } else {
    facts.kind = FileKind::kRegular;
  }
  facts.size = (static_cast<std::uint64_t>(sizeHigh) << 32) | sizeLow;
  facts.time = TimeOf(written);
  return facts;
}

class WindowsFile : public ReadableFile {
 public:
  WindowsFile(HANDLE handle, const FileFacts& facts) : handle_(handle), facts_(facts) {}
  ~WindowsFile() override { ::CloseHandle(handle_); }
  WindowsFile(const WindowsFile&) = delete;
  WindowsFile& operator=(const WindowsFile&) = delete;

  const FileFacts& Facts() const override { return facts_; }

  std::optional<std::size_t> ReadAt(std::uint64_t offset, unsigned char* buffer,
                                    std::size_t size) override {
    std::size_t got = 0;
    while (got < size) {
      // The offset goes with each read, so no file position is shared between calls.
      OVERLAPPED at{};
      const std::uint64_t position = offset + got;
      at.Offset = static_cast<DWORD>(position);
      at.OffsetHigh = static_cast<DWORD>(position >> 32);
      const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size - got, 1u << 30));
      DWORD read = 0;
      if (::ReadFile(handle_, buffer + got, want, &read, &at) == FALSE) {
        if (::GetLastError() == ERROR_HANDLE_EOF) break;
        return std::nullopt;
      }
      if (read == 0) break;
      got += read;
    }
    return got;
  }

 private:
  HANDLE handle_;
  FileFacts facts_;
};

class WindowsBodyWriter : public BodyWriter {
 public:
  WindowsBodyWriter(HANDLE handle, std::string temporary, std::string target)
      : handle_(handle), temporary_(std::move(temporary)), target_(std::move(target)) {}
  ~WindowsBodyWriter() override {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
    if (!temporary_.empty()) ::DeleteFileA(temporary_.c_str());
  }
  WindowsBodyWriter(const WindowsBodyWriter&) = delete;
  WindowsBodyWriter& operator=(const WindowsBodyWriter&) = delete;

  bool Append(const unsigned char* data, std::size_t size) override {
    while (size > 0) {
      const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
      DWORD written = 0;
      if (::WriteFile(handle_, data, want, &written, nullptr) == FALSE || written == 0) {
        return false;
      }
      data += written;
      size -= written;
    }
    return true;
  }

  bool Commit(FileTime time) override {
    FILETIME written;
    written.dwLowDateTime = static_cast<DWORD>(time);
    written.dwHighDateTime = static_cast<DWORD>(time >> 32);
    const bool stamped = ::SetFileTime(handle_, nullptr, nullptr, &written) != FALSE;
    const bool closed = ::CloseHandle(handle_) != FALSE;
    handle_ = INVALID_HANDLE_VALUE;
    // The rename replaces the target in one step and keeps the time just set.
    if (!stamped || !closed ||
        ::MoveFileExA(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING) == FALSE) {
      return false;  // the destructor removes the temporary
    }
    temporary_.clear();
    return true;
  }

 private:
  HANDLE handle_;
  std::string temporary_;  ///< Empty once renamed over the target.
  std::string target_;
};

}  // namespace

std::optional<FileFacts> QueryWindowsFile(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) == FALSE) {
    return std::nullopt;
  }
  return FactsOf(data.dwFileAttributes, data.nFileSizeHigh, data.nFileSizeLow,
                 data.ftLastWriteTime);
}

std::optional<std::vector<FolderItem>> ListWindowsFolder(const std::string& path) {
  WIN32_FIND_DATAA found;
  HANDLE handle = ::FindFirstFileA((path + "\\*").c_str(), &found);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  std::vector<FolderItem> items;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    items.push_back({name, FactsOf(found.dwFileAttributes, found.nFileSizeHigh, found.nFileSizeLow,
                                   found.ftLastWriteTime)});
  } while (::FindNextFileA(handle, &found) != FALSE);
  const bool complete = ::GetLastError() == ERROR_NO_MORE_FILES;
  ::FindClose(handle);
  if (!complete) return std::nullopt;
  return items;
}

namespace {

// The open `handle` as a readable file when it is a regular file on disk; else it is closed.
std::unique_ptr<ReadableFile> RegularFileOf(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info;
  const bool regular =
      ::GetFileType(handle) == FILE_TYPE_DISK &&
      ::GetFileInformationByHandle(handle, &info) != FALSE &&
      (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
  if (!regular) {
    ::CloseHandle(handle);
    return nullptr;
  }
  return std::make_unique<WindowsFile>(handle, FactsOf(info.dwFileAttributes, info.nFileSizeHigh,
                                                       info.nFileSizeLow, info.ftLastWriteTime));
}

// Opens `name` relative to the folder handle `folder` with `access`; `options` are NtCreateFile's
// create options besides synchronous I/O and the refusal to follow a reparse point.
// INVALID_HANDLE_VALUE on failure.
HANDLE OpenRelative(HANDLE folder, const std::string& name, ACCESS_MASK access, ULONG share,
                    ULONG options) {
  if (!IsOneStepName(name)) return INVALID_HANDLE_VALUE;
  const int length =
      ::MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), nullptr, 0);
  if (length <= 0 || length > MAX_PATH) return INVALID_HANDLE_VALUE;
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), &wide[0], length);
  UNICODE_STRING text;
  text.Buffer = &wide[0];
  text.Length = static_cast<USHORT>(length * sizeof(wchar_t));
  text.MaximumLength = text.Length;
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, folder, nullptr);
  IO_STATUS_BLOCK status{};
  HANDLE handle = nullptr;
  const NTSTATUS result = ::NtCreateFile(
      &handle, access | SYNCHRONIZE, &attributes, &status, nullptr, 0, share, FILE_OPEN,
      options | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_REPARSE_POINT, nullptr, 0);
  return result >= 0 ? handle : INVALID_HANDLE_VALUE;
}

// A folder handle whose names are opened relative to it.
class WindowsFolder : public OpenedFolder {
 public:
  explicit WindowsFolder(HANDLE handle) : handle_(handle) {}
  ~WindowsFolder() override { ::CloseHandle(handle_); }
  WindowsFolder(const WindowsFolder&) = delete;
  WindowsFolder& operator=(const WindowsFolder&) = delete;

  std::optional<FileFacts> QueryName(const std::string& name) override {
    HANDLE handle = OpenRelative(handle_, name, FILE_READ_ATTRIBUTES, kShareAll, 0);
    if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info;
    const bool known = ::GetFileInformationByHandle(handle, &info) != FALSE;
    ::CloseHandle(handle);
    if (!known) return std::nullopt;
    return FactsOf(info.dwFileAttributes, info.nFileSizeHigh, info.nFileSizeLow,
                   info.ftLastWriteTime);
  }

  std::unique_ptr<ReadableFile> OpenName(const std::string& name) override {
    HANDLE handle = OpenRelative(handle_, name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 FILE_NON_DIRECTORY_FILE);
    return handle == INVALID_HANDLE_VALUE ? nullptr : RegularFileOf(handle);
  }

  std::unique_ptr<OpenedFolder> OpenSubfolder(const std::string& name) override {
    HANDLE handle = OpenRelative(handle_, name, FILE_LIST_DIRECTORY | FILE_TRAVERSE, kShareAll,
                                 FILE_DIRECTORY_FILE);
    return handle == INVALID_HANDLE_VALUE ? nullptr : FolderOf(handle);
  }

  /// The open `handle` as a folder when it is one and no reparse point; else it is closed.
  static std::unique_ptr<OpenedFolder> FolderOf(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info;
    if (::GetFileInformationByHandle(handle, &info) == FALSE ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
      ::CloseHandle(handle);
      return nullptr;
    }
    return std::make_unique<WindowsFolder>(handle);
  }

  // A folder held open must not stop the browser from renaming or deleting it.
  static constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

 private:
  HANDLE handle_;
};

}  // namespace

std::unique_ptr<ReadableFile> OpenWindowsFile(const std::string& path) {
  // FILE_FLAG_OPEN_REPARSE_POINT opens a link itself rather than what it leads to; the checks
  // then refuse it.
  HANDLE handle =
      ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  return RegularFileOf(handle);
}

std::unique_ptr<OpenedFolder> OpenWindowsFolder(const std::string& path) {
  // FILE_FLAG_BACKUP_SEMANTICS is what opens a folder at all.
  HANDLE handle = ::CreateFileA(path.c_str(), FILE_LIST_DIRECTORY | FILE_TRAVERSE | SYNCHRONIZE,
                                WindowsFolder::kShareAll, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  // The folder named may be a link (the user's choice): what it leads to is held.
  BY_HANDLE_FILE_INFORMATION info;
  if (::GetFileInformationByHandle(handle, &info) == FALSE ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    ::CloseHandle(handle);
    return nullptr;
  }
  return std::make_unique<WindowsFolder>(handle);
}

std::unique_ptr<BodyWriter> CreateWindowsBodyWriter(const std::string& temporary,
                                                    const std::string& target) {
  HANDLE handle = ::CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    ::DeleteFileA(temporary.c_str());
    return nullptr;
  }
  return std::make_unique<WindowsBodyWriter>(handle, temporary, target);
}

}  // namespace murel

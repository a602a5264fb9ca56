// The host runner on Windows (under Wine in CI): scratch folders in the user's temporary folder,
// the program started with CreateProcess. Names are handled with the ANSI services, which keep
// them as the program made them, whatever bytes they hold.
#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "run/command_tail.h"
#include "support/host_runner.h"
#include "support/win32_process.h"

namespace murel {
namespace {

// Calls `visit(name, isFolder)` for every entry of `folder` but "." and "..".
template <class Visit>
void EachEntry(const std::string& folder, Visit visit) {
  WIN32_FIND_DATAA found;
  HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") {
      visit(name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    }
  } while (::FindNextFileA(search, &found));
  ::FindClose(search);
}

void RemoveTree(const std::string& folder) {
  EachEntry(folder, [&](const std::string& name, bool isFolder) {
    const std::string path = folder + "\\" + name;
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (isFolder) {
      RemoveTree(path);
    } else {
      ::DeleteFileA(path.c_str());
    }
  });
  ::RemoveDirectoryA(folder.c_str());
}

void ListTree(const std::string& folder, const std::string& skip, const std::string& prefix,
              std::vector<std::string>& tree) {
  EachEntry(folder, [&](const std::string& name, bool isFolder) {
    const std::string path = folder + "\\" + name;
    if (path == skip) return;
    tree.push_back(prefix + name + (isFolder ? "/" : ""));
    if (isFolder) ListTree(path, skip, prefix + name + "/", tree);
  });
}

// `time` (seconds since 1970) as a file time.
FILETIME FileTimeOf(std::time_t time) {
  const ULONGLONG ticks = (static_cast<ULONGLONG>(time) + 11644473600ULL) * 10000000ULL;
  return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

// The program reads its command line as it is typed, quoted as its own tail is formed again.
std::string CommandLine(const std::vector<std::string>& arguments) {
  return "\"" + std::string(MUREL_BINARY) + "\" " + FormCommandTail(arguments);
}

}  // namespace

HostFolder::HostFolder(const std::string& tag) {
  static int made = 0;
  char temp[MAX_PATH];
  if (::GetTempPathA(MAX_PATH, temp) == 0) return;
  char number[16];
  std::snprintf(number, sizeof number, "%08lX%04X", ::GetCurrentProcessId(),
                static_cast<unsigned>(made++ & 0xFFFF));
  const std::string name = std::string(temp) + "murel-" + tag + "-" + number;
  if (::CreateDirectoryA(name.c_str(), nullptr)) path_ = name;
}

HostFolder::~HostFolder() {
  if (!path_.empty()) RemoveTree(path_);
}

std::string HostFolder::At(const std::string& relative) const {
  return path_ + "\\" + HostForm(relative);
}

std::string HostForm(std::string relative) {
  std::replace(relative.begin(), relative.end(), '/', '\\');
  return relative;
}

std::string ProgramPath(const std::string& hostPath) { return hostPath; }

int RunMurel(const std::string& folder, const std::vector<std::string>& arguments) {
  return RunProcess(CommandLine(arguments), folder);
}

std::vector<std::string> HostTree(const std::string& folder, const std::string& skip) {
  std::vector<std::string> tree;
  ListTree(folder, skip, "", tree);
  std::sort(tree.begin(), tree.end());
  return tree;
}

bool MakeFolders(const std::string& path) {
  const std::size_t cut = path.find_last_of('\\');
  if (cut != std::string::npos && cut > 2) MakeFolders(path.substr(0, cut));
  ::CreateDirectoryA(path.c_str(), nullptr);
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool WriteHostFile(const std::string& path, const std::string& content) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool wrote = std::fwrite(content.data(), 1, content.size(), file) == content.size();
  return std::fclose(file) == 0 && wrote;
}

bool SetHostFileTime(const std::string& path, std::time_t time) {
  HANDLE file = ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const FILETIME written = FileTimeOf(time);
  const bool set = ::SetFileTime(file, nullptr, nullptr, &written) != 0;
  ::CloseHandle(file);
  return set;
}

std::time_t HostFileTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  const ULONGLONG ticks = (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                          data.ftLastWriteTime.dwLowDateTime;
  return static_cast<std::time_t>(ticks / 10000000ULL - 11644473600ULL);
}

std::vector<std::string> SystemRefusedTargets() {
  return {"CON", "host\\nul", "host\\com1\\x", "aux\\page"};
}

void PutFolderInPlace(const std::string& folder, const std::string& other) {
  ::MoveFileA(folder.c_str(), (folder + "-aside").c_str());
  ::MoveFileA(other.c_str(), folder.c_str());
}

int RunMurelRefusing(const std::string& target, const std::string& folder,
                     const std::vector<std::string>& arguments) {
  HANDLE held = ::CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == INVALID_HANDLE_VALUE) return -1;
  const int status = RunMurel(folder, arguments);
  ::CloseHandle(held);
  return status;
}

std::vector<std::string> HostProfileSection(const std::string& file, const std::string& section,
                                            std::size_t capacity) {
  return Win32Platform().ReadProfileSection(section, file, capacity);
}

}  // namespace murel

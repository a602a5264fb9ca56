// The platform contract on the real Windows API, in a fresh folder under the system's temporary
// folder (under Wine: the prefix's drive C:).
#include "platform/win32/win32_platform.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "support/platform_contract.h"

namespace murel {
namespace {

// A new, empty folder under the temporary folder; the name comes from a temporary file name
// so that two test processes never share one.
std::string MakeScratchFolder() {
  char temp[MAX_PATH];
  char name[MAX_PATH];
  if (::GetTempPathA(MAX_PATH, temp) == 0 || ::GetTempFileNameA(temp, "mct", 0, name) == 0) {
    ADD_FAILURE() << "no temporary folder";
    return "";
  }
  ::DeleteFileA(name);
  if (!::CreateDirectoryA(name, nullptr)) ADD_FAILURE() << "cannot create " << name;
  return name;
}

void WriteFile(const std::string& path, const std::string& content) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr) << path;
  std::fwrite(content.data(), 1, content.size(), file);
  std::fclose(file);
}

std::optional<std::string> ReadFile(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return std::nullopt;
  std::string content;
  char chunk[4096];
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) content.append(chunk, got);
  std::fclose(file);
  return content;
}

FILETIME ToFiletime(FileTime time) {
  FILETIME result;
  result.dwLowDateTime = static_cast<DWORD>(time & 0xFFFFFFFFu);
  result.dwHighDateTime = static_cast<DWORD>(time >> 32);
  return result;
}

void SetTime(const std::string& path, FileTime time) {
  HANDLE file = ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  const FILETIME written = ToFiletime(time);
  EXPECT_TRUE(::SetFileTime(file, nullptr, nullptr, &written)) << path;
  ::CloseHandle(file);
}

std::optional<FileTime> TimeOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  return (static_cast<FileTime>(data.ftLastWriteTime.dwHighDateTime) << 32) |
         data.ftLastWriteTime.dwLowDateTime;
}

std::vector<std::string> ListNames(const std::string& dir) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = ::FindFirstFileA((dir + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (::FindNextFileA(search, &found));
  ::FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

// Deletes a folder and everything in it.
void RemoveTree(const std::string& dir) {
  for (const std::string& name : ListNames(dir)) {
    const std::string path = dir + "\\" + name;
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      RemoveTree(path);
    } else {
      ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      ::DeleteFileA(path.c_str());
    }
  }
  ::RemoveDirectoryA(dir.c_str());
}

// Handles held open without sharing, which keep other openers out of their files.
struct BlockedFiles {
  std::vector<HANDLE> handles;
  void Block(const std::string& path) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    handles.push_back(file);
  }
  ~BlockedFiles() {
    for (HANDLE file : handles) ::CloseHandle(file);
  }
};

ContractSetup MakeWin32Contract() {
  ContractSetup setup;
  setup.platform = std::make_unique<Win32Platform>();
  setup.scratch = MakeScratchFolder();
  setup.writeFile = &WriteFile;
  setup.readFile = &ReadFile;
  setup.setTime = &SetTime;
  setup.timeOf = &TimeOf;
  setup.listNames = &ListNames;
  auto blocked = std::make_shared<BlockedFiles>();
  setup.blockReading = [blocked](const std::string& path) { blocked->Block(path); };
  setup.cleanup = [blocked, scratch = setup.scratch] {
    for (HANDLE file : blocked->handles) ::CloseHandle(file);
    blocked->handles.clear();
    RemoveTree(scratch);
  };
  return setup;
}

INSTANTIATE_TEST_SUITE_P(Win32, PlatformContract,
                         ::testing::Values(PlatformFactory{"Win32", &MakeWin32Contract}),
                         PlatformFactoryName);

// What the contract leaves to each platform: the program's own file, and the exact edge of the
// full-path limit.
TEST(Win32Platform, ModuleFileIsTheRunningProgram) {
  Win32Platform platform;
  const std::optional<std::string> module = platform.ProgramPath();
  ASSERT_TRUE(module);
  EXPECT_NE(module->find("murel_tests.exe"), std::string::npos) << *module;
  EXPECT_EQ(
      platform.QueryAttributes(*module).value_or(kFileAttributeDirectory) & kFileAttributeDirectory,
      0u);
}

TEST(Win32Platform, FullPathAtTheLimitIsTakenAndOneOverIsRefused) {
  Win32Platform platform;
  const std::string path = "C:\\" + std::string(40, 'a') + "\\b";
  EXPECT_EQ(platform.FullPath(path, path.size()), std::optional<std::string>(path));
  EXPECT_FALSE(platform.FullPath(path, path.size() - 1));
  EXPECT_FALSE(platform.FullPath("", 500));
}

TEST(Win32Platform, LargeSectionIsReadWhole) {
  const std::string scratch = MakeScratchFolder();
  const std::string file = scratch + "\\big.ini";
  std::string text = "[all]\r\n";
  std::vector<std::string> expected;
  for (int i = 0; i < 20000; ++i) {
    expected.push_back("rule" + std::to_string(i) + "=" + std::string(30, 'v'));
    text += expected.back() + "\r\n";
  }
  WriteFile(file, text);
  Win32Platform platform;
  EXPECT_EQ(platform.ReadProfileSection("all", file, 1000000), expected);
  RemoveTree(scratch);
}

}  // namespace
}  // namespace murel

// The platform services of the Windows build: the ANSI functions of kernel32, wininet and user32.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace murel {

/// The Windows platform. Paths go to the API as they are; the system's cache is WinINet's.
class Win32Platform : public Platform {
 public:
  /// Empty: WinINet's own walk is the default.
  std::optional<std::string> WineUserProfile() override;
  /// %USERPROFILE%, %LOCALAPPDATA% and %APPDATA% from ::GetEnvironmentVariableA, each that is a
  /// folder.
  std::vector<UserFolder> UserFolders() override;
  /// %LOCALAPPDATA% from ::GetEnvironmentVariableA, whether it exists or not.
  std::optional<std::string> UserCacheFolder() override;
  /// ::FindFirstUrlCacheEntryA over WinINet's cache.
  WalkStatus StartCacheWalk(const std::string& searchPattern, std::uint32_t& recordSize,
                            UrlCacheEntry& entry, std::unique_ptr<CacheWalk>& walk) override;
  /// Advances a walk begun by `StartCacheWalk` of this platform.
  WalkStatus ContinueCacheWalk(CacheWalk& walk, std::uint32_t& recordSize,
                               UrlCacheEntry& entry) override;

  /// ::GetFileAttributesExA; a reparse point (a link) is kLink.
  std::optional<FileFacts> QueryFile(const std::string& path) override;
  /// ::CreateFileA without following a reparse point, refused unless a disk file that is no
  /// folder or reparse point; reads with ::ReadFile at an offset.
  std::unique_ptr<ReadableFile> OpenFileForReading(const std::string& path) override;
  /// ::FindFirstFileA / ::FindNextFileA over "<path>\*".
  /// The listing holds the facts: they come whether asked for or not.
  std::optional<std::vector<FolderItem>> ListFolder(const std::string& path,
                                                    bool withFacts) override;
  std::unique_ptr<OpenedFolder> OpenFolder(const std::string& path) override;
  /// ::GetTempFileNameA beside the target, ::WriteFile, ::SetFileTime, then ::MoveFileExA with
  /// MOVEFILE_REPLACE_EXISTING; ::DeleteFileA when abandoned.
  std::unique_ptr<BodyWriter> CreateBodyWriter(const std::string& target) override;
  std::unique_ptr<BodyWriter> CreateNewBodyWriter(const std::string& target) override;

  /// ::CreateDirectoryA with default security.
  bool CreateFolder(const std::string& path) override;
  /// ::GetFileAttributesA; INVALID_FILE_ATTRIBUTES gives empty.
  std::optional<std::uint32_t> QueryAttributes(const std::string& path) override;
  /// ::GetTempFileNameA.
  std::optional<std::string> CreateTemporaryFile(const std::string& dir, const std::string& prefix,
                                                 unsigned unique) override;
  /// ::DeleteFileA.
  bool RemoveFile(const std::string& path) override;
  /// ::MoveFileA, which never replaces an existing name.
  bool Rename(const std::string& from, const std::string& to) override;
  /// CreateFileA (read, shared for reading and writing), GetFileInformationByHandle, CloseHandle.
  LastWriteTime ReadLastWriteTime(const std::string& path) override;
  /// ::CopyFileA onto a temporary name beside `to`, then MoveFileExA over `to`.
  bool CopyReplacing(const std::string& from, const std::string& to) override;
  /// ::GetFullPathNameA; empty when it fails or the result is longer than `limit`.
  std::optional<std::string> FullPath(const std::string& path, std::size_t limit) override;
  /// ::GetModuleFileNameA of the program's own module.
  std::optional<std::string> ProgramPath() override;
  /// ::SetCurrentDirectoryA.
  bool ChangeCurrentFolder(const std::string& path) override;

  /// ::GetPrivateProfileSectionA into a buffer of `capacity` characters, split at the NULs.
  std::vector<std::string> ReadProfileSection(const std::string& section, const std::string& file,
                                              std::size_t capacity) override;
  /// ::GetPrivateProfileStringA for each key into a buffer of 500 characters, with the empty
  /// default.
  std::vector<std::string> ReadProfileStrings(const std::string& section,
                                              const std::vector<std::string>& keys,
                                              const std::string& file) override;
  /// Empty: the program's own Russian texts are the default on Windows.
  std::vector<std::string> ConfigurationFolders() override;
  Conventions UserConventions() override;
  std::string LastErrorText() override;
  std::string UserLanguage() override;

  /// ::MessageBoxW with MB_OK and the icon, owned by no window; each piece is turned into
  /// UTF-16 from its code page (the built-in texts from Windows-1251, the rest from CP_ACP).
  void ShowMessage(const ShownText& text, const ShownText& caption, BoxIcon icon) override;
  /// The C runtime's text-mode output, which writes "\n" as CR LF.
  /// Null: the program has no console to show progress on.
  std::unique_ptr<StatusLine> OpenStatusLine() override;
  /// ::GetTickCount64.
  std::uint64_t SteadyMilliseconds() override;
  FileTime CurrentTime() override;
  /// The path itself: Windows shows Windows paths.
  std::string DisplayPath(const std::string& path) override;
};

}  // namespace murel

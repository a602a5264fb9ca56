// The platform services on Linux: the host file system under drive Z:, profile files read by
// our own reader, message boxes as terminal output, and the Wine prefix's cache as the default.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace murel {

/// Platform on a POSIX host (Linux). Windows-form paths map onto host paths as host_path.h
/// describes; see platform.h for each service's contract.
class PosixPlatform : public Platform {
 public:
  PosixPlatform();

  // FileSystem
  std::optional<FileFacts> QueryFile(const std::string& path) override;
  std::unique_ptr<FileLooks> LooksInTurn() override;
  std::optional<std::uint32_t> QueryAttributes(const std::string& path) override;
  LastWriteTime ReadLastWriteTime(const std::string& path) override;
  SourceFile LookAtSource(const std::string& path) override;
  std::vector<unsigned char> RoomForFile(std::size_t size) override;
  std::unique_ptr<ReadableFile> OpenFileForReading(const std::string& path) override;
  std::optional<std::vector<FolderItem>> ListFolder(const std::string& path,
                                                    bool withFacts) override;
  bool ListNames(const std::string& path,
                 const std::function<void(std::string_view name)>& take) override;
  std::unique_ptr<OpenedFolder> OpenFolder(const std::string& path) override;
  bool CreateFolder(const std::string& path) override;
  bool Rename(const std::string& from, const std::string& to) override;
  bool RemoveFile(const std::string& path) override;
  std::optional<std::string> CreateTemporaryFile(const std::string& dir, const std::string& prefix,
                                                 unsigned unique) override;
  bool CopyReplacing(const std::string& from, const std::string& to) override;
  std::unique_ptr<BodyWriter> CreateBodyWriter(const std::string& target) override;
  std::unique_ptr<BodyWriter> CreateNewBodyWriter(const std::string& target) override;
  std::optional<std::string> FullPath(const std::string& path, std::size_t limit) override;
  bool ChangeCurrentFolder(const std::string& path) override;
  std::string LastErrorText() override;

  // Desktop
  std::string UserLanguage() override;
  void ShowMessage(const ShownText& text, const ShownText& caption, BoxIcon icon) override;
  std::unique_ptr<StatusLine> OpenStatusLine() override;
  std::string DisplayPath(const std::string& path) override;

  // SystemCache
  WalkStatus StartCacheWalk(const std::string& searchPattern, std::uint32_t& recordSize,
                            UrlCacheEntry& entry, std::unique_ptr<CacheWalk>& walk) override;
  WalkStatus ContinueCacheWalk(CacheWalk& walk, std::uint32_t& recordSize,
                               UrlCacheEntry& entry) override;

  // ProfileReader
  std::vector<std::string> ReadProfileSection(const std::string& section, const std::string& file,
                                              std::size_t capacity) override;
  std::vector<std::string> ReadProfileStrings(const std::string& section,
                                              const std::vector<std::string>& keys,
                                              const std::string& file) override;

  // Environment
  std::vector<UserFolder> UserFolders() override;
  std::optional<std::string> WineUserProfile() override;
  std::optional<std::string> UserCacheFolder() override;
  std::vector<std::string> ConfigurationFolders() override;
  Conventions UserConventions() override;
  std::uint64_t SteadyMilliseconds() override;
  FileTime CurrentTime() override;
  std::optional<std::string> ProgramPath() override;

 private:
  /// Guards the two members below: files are created from several threads of a run.
  std::mutex namesMutex_;
  /// The next number to try for a unique file name; advances with every try.
  std::uint32_t nextNumber_;
  /// The host folders that a copy or body has gone into in this run, rid of stale temporaries.
  std::set<std::string> cleanedFolders_;
  /// A status line shows on standard error, not ended by a newline yet.
  bool statusDrawn_ = false;
};

/// FILETIME (100 ns since 1601) of a host time given as seconds and nanoseconds since 1970.
FileTime ToFileTime(std::int64_t seconds, std::int64_t nanoseconds);

}  // namespace murel

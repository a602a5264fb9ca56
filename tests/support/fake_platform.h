// An in-memory platform for tests: a Windows-style file system with last-write times, links and
// special files, profile files as text, the system's cache as a list of entries, and message boxes
// and status lines recorded. Failures and the log of calls come from FaultyPlatform around it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace murel {

class FakePlatform : public Platform {
 public:
  /// A cache entry; `recordSize` is the size its record needs (0: fits any buffer).
  struct FakeEntry {
    std::string url;
    std::string localFile;
    std::uint32_t recordSize = 0;
  };

  struct Box {
    std::string text;
    std::string caption;
    BoxIcon icon;
  };

  FakePlatform();

  // --- Setting up -------------------------------------------------------------------------------
  /// Creates a directory and its missing parents. Drives "C:" and "D:" always exist.
  void AddDirectory(const std::string& path);
  /// Creates a file (and its missing parent directories) with content and last-write time.
  void AddFile(const std::string& path, const std::string& content, FileTime time = 1000);
  /// Creates a name of another kind than a regular file or folder: a link (kLink, which leads
  /// nowhere the fake follows) or a pipe or device (kOther). Its content is kSpecialContent.
  void AddSpecial(const std::string& path, FileKind kind);
  static constexpr const char* kSpecialContent = "<behind a link or pipe>";

  // --- Inspecting -------------------------------------------------------------------------------
  bool IsDirectory(const std::string& path) const;
  bool IsFile(const std::string& path) const;
  std::optional<std::string> Content(const std::string& path) const;
  std::optional<FileTime> TimeOf(const std::string& path) const;
  /// Every file and directory, as "path" for files and "path\" for directories, sorted.
  std::vector<std::string> Tree() const;

  // --- State a test may set or read directly ----------------------------------------------------
  std::string currentDirectory = "C:\\work";
  std::string moduleFileName = "C:\\prog\\murel.exe";
  std::vector<FakeEntry> cache;  ///< The cache that the walk delivers (any cachePath).
  std::optional<std::string> wineUserProfile;  ///< What WineUserProfile gives.
  std::string userLanguage;                    ///< What UserLanguage gives.
  std::vector<UserFolder> userFolders;         ///< What UserFolders gives.
  /// What UserCacheFolder gives.
  std::optional<std::string> userCacheFolder = std::string("C:\\Users\\me\\AppData\\Local");
  std::vector<std::string> configurationFolders;    ///< What ConfigurationFolders gives.
  Conventions conventions = Conventions::kWindows;  ///< What UserConventions gives.
  std::string lastErrorText = "injected failure";   ///< What LastErrorText gives.
  bool terminal = false;                            ///< Whether OpenStatusLine gives a line.
  std::vector<std::string> statusLines;             ///< Redrawn texts, then "finish: <text>".
  std::uint64_t clock = 0;                          ///< What SteadyMilliseconds gives.
  std::uint64_t clockStep = 0;                      ///< How far each call moves the clock on.
  FileTime now = 0;                                 ///< What CurrentTime gives.
  std::set<std::string> deviceNames{"CON", "NUL", "PRN", "AUX", "COM1", "LPT1"};
  std::vector<Box> boxes;         ///< Message boxes shown, in order.
  std::size_t openFiles = 0;      ///< Files opened for reading and not yet closed.
  std::size_t mostOpenFiles = 0;  ///< The most files that were open for reading at once.

  // --- Platform ---------------------------------------------------------------------------------
  std::optional<std::string> WineUserProfile() override { return wineUserProfile; }
  std::vector<UserFolder> UserFolders() override { return userFolders; }
  std::optional<std::string> UserCacheFolder() override { return userCacheFolder; }
  WalkStatus StartCacheWalk(const std::string& searchPattern, std::uint32_t& recordSize,
                            UrlCacheEntry& entry, std::unique_ptr<CacheWalk>& walk) override;
  WalkStatus ContinueCacheWalk(CacheWalk& walk, std::uint32_t& recordSize,
                               UrlCacheEntry& entry) override;
  std::optional<FileFacts> QueryFile(const std::string& path) override;
  std::unique_ptr<ReadableFile> OpenFileForReading(const std::string& path) override;
  /// Gives the facts whether asked for or not.
  std::optional<std::vector<FolderItem>> ListFolder(const std::string& path,
                                                    bool withFacts) override;
  std::unique_ptr<OpenedFolder> OpenFolder(const std::string& path) override;
  std::unique_ptr<BodyWriter> CreateBodyWriter(const std::string& target) override;
  std::unique_ptr<BodyWriter> CreateNewBodyWriter(const std::string& target) override;
  bool CreateFolder(const std::string& path) override;
  std::optional<std::uint32_t> QueryAttributes(const std::string& path) override;
  std::optional<std::string> CreateTemporaryFile(const std::string& dir, const std::string& prefix,
                                                 unsigned unique) override;
  bool RemoveFile(const std::string& path) override;
  bool Rename(const std::string& from, const std::string& to) override;
  LastWriteTime ReadLastWriteTime(const std::string& path) override;
  bool CopyReplacing(const std::string& from, const std::string& to) override;
  std::optional<std::string> FullPath(const std::string& path, std::size_t limit) override;
  std::optional<std::string> ProgramPath() override;
  bool ChangeCurrentFolder(const std::string& path) override;
  std::vector<std::string> ReadProfileSection(const std::string& section, const std::string& file,
                                              std::size_t capacity) override;
  std::vector<std::string> ReadProfileStrings(const std::string& section,
                                              const std::vector<std::string>& keys,
                                              const std::string& file) override;
  std::vector<std::string> ConfigurationFolders() override { return configurationFolders; }
  Conventions UserConventions() override { return conventions; }
  std::string LastErrorText() override { return lastErrorText; }
  std::string UserLanguage() override { return userLanguage; }
  /// Records the box with its texts' bytes joined.
  void ShowMessage(const ShownText& text, const ShownText& caption, BoxIcon icon) override;
  /// A status line that records into `statusLines` when `terminal` is set; null otherwise.
  std::unique_ptr<StatusLine> OpenStatusLine() override;
  /// `clock`, which the test sets; each call moves it on by `clockStep`.
  std::uint64_t SteadyMilliseconds() override { return clock += clockStep; }
  FileTime CurrentTime() override { return now; }
  std::string DisplayPath(const std::string& path) override { return path; }

 private:
  class FakeFile;
  class FakeBodyWriter;
  class FakeFolder;
  struct Node {
    std::string path;  // as created, with "\" separators
    bool directory = false;
    std::string content;
    FileTime time = 0;
    FileKind kind = FileKind::kRegular;  // of a name that is no directory
    std::uint64_t folderId = 0;          // of a directory: stays when it is moved
  };

  /// `path` made absolute against the current directory, "." and ".." resolved, "/" turned into
  /// "\", repeated and trailing separators dropped; empty for a path on no drive.
  std::string Normalize(const std::string& path) const;
  static std::string Key(const std::string& normalized);
  Node* Find(const std::string& path);
  const Node* Find(const std::string& path) const;
  /// CreateBodyWriter; null when `onlyNew` and something is at the target.
  std::unique_ptr<BodyWriter> StartBody(const std::string& target, bool onlyNew);
  /// What QueryFile gives for `node`.
  static FileFacts FactsOf(const Node& node);
  bool ParentIsDirectory(const std::string& normalized) const;
  std::optional<std::string> ProfileText(const std::string& file);

  // Every call takes the one lock, so that the two threads of a run can share the fake; it is
  // recursive because calls use each other.
  using Guard = std::lock_guard<std::recursive_mutex>;
  mutable std::recursive_mutex mutex_;
  // Keys are normalized paths folded to upper case: names compare without regard to case.
  std::map<std::string, Node> nodes_;
  unsigned tempCounter_ = 0;
  std::uint64_t folderIds_ = 0;  ///< The last folder id given.
};

}  // namespace murel

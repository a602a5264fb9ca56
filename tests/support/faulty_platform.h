// Fault injection around any platform, as SQLite's test file system does around a real one: every
// call goes to the inner platform, except those that a test makes fail. Each call that can fail is
// counted and logged, so that a test can fail one step of a run after the other.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace murel {

class FaultyPlatform : public Platform {
 public:
  /// The operations a test can make fail.
  enum class Op {
    kCacheOpen,  ///< StartCacheWalk
    kCacheNext,  ///< ContinueCacheWalk
    kCreateFolder,
    kQueryAttributes,
    kCreateTemporaryFile,
    kRemoveFile,
    kRename,         ///< matched against the source path (or the target path)
    kOpenFile,       ///< ReadLastWriteTime or OpenFileForReading: the file cannot be opened
    kReadTime,       ///< ReadLastWriteTime: the file opens but its time cannot be read
    kCopyReplacing,  ///< matched against the source path (or the target path)
    kFullPath,
    kChangeCurrentFolder,
    kQueryFile,   ///< QueryFile, and a folder's QueryName
    kReadFile,    ///< ReadAt of an opened file
    kListFolder,  ///< ListFolder, OpenFolder
    kCreateBody,  ///< CreateBodyWriter, CreateNewBodyWriter (matched against the target)
    kAppendBody,  ///< a body writer's Append (matched against the target)
    kCommitBody,  ///< a body writer's Commit (matched against the target)
  };

  /// Forwards to `inner`, which must outlive this platform and what its calls give.
  explicit FaultyPlatform(Platform& inner) : inner_(inner) {}

  /// Makes every call of `op` fail whose path (either path, for renames and copies) is `path`
  /// without regard to case, once both are made full; every call of `op` when `path` is empty.
  void FailOn(Op op, const std::string& path = "");
  /// Undoes every FailOn.
  void ClearFailures();
  /// Makes the counted call with this number fail (counted from 1, every call that can fail,
  /// whatever service it belongs to).
  void FailCall(std::size_t number);

  /// One line per counted call: "<Method> <args> -> ok|fail".
  std::vector<std::string> log;
  /// Calls counted so far.
  std::size_t calls = 0;
  /// What LastErrorText gives right after an injected failure on the same thread.
  std::string lastErrorText = "injected failure";

  // FileSystem
  std::optional<FileFacts> QueryFile(const std::string& path) override;
  std::optional<std::uint32_t> QueryAttributes(const std::string& path) override;
  /// Counts the opening and, when the file opens, the reading of its time as a second call.
  LastWriteTime ReadLastWriteTime(const std::string& path) override;
  std::unique_ptr<ReadableFile> OpenFileForReading(const std::string& path) override;
  std::optional<std::vector<FolderItem>> ListFolder(const std::string& path,
                                                    bool withFacts) override;
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
  /// `lastErrorText` after an injected failure, else the inner platform's.
  std::string LastErrorText() override;

  // Desktop: a failing ShowMessage shows nothing.
  std::string UserLanguage() override { return inner_.UserLanguage(); }
  void ShowMessage(const ShownText& text, const ShownText& caption, BoxIcon icon) override;
  std::unique_ptr<StatusLine> OpenStatusLine() override { return inner_.OpenStatusLine(); }
  std::string DisplayPath(const std::string& path) override { return inner_.DisplayPath(path); }

  // SystemCache
  WalkStatus StartCacheWalk(const std::string& searchPattern, std::uint32_t& recordSize,
                            UrlCacheEntry& entry, std::unique_ptr<CacheWalk>& walk) override;
  WalkStatus ContinueCacheWalk(CacheWalk& walk, std::uint32_t& recordSize,
                               UrlCacheEntry& entry) override;

  // ProfileReader: a failing read reads as a missing file.
  std::vector<std::string> ReadProfileSection(const std::string& section, const std::string& file,
                                              std::size_t capacity) override;
  std::vector<std::string> ReadProfileStrings(const std::string& section,
                                              const std::vector<std::string>& keys,
                                              const std::string& file) override;

  // Environment
  std::vector<UserFolder> UserFolders() override { return inner_.UserFolders(); }
  std::optional<std::string> WineUserProfile() override { return inner_.WineUserProfile(); }
  std::optional<std::string> UserCacheFolder() override { return inner_.UserCacheFolder(); }
  std::vector<std::string> ConfigurationFolders() override { return inner_.ConfigurationFolders(); }
  Conventions UserConventions() override { return inner_.UserConventions(); }
  std::uint64_t SteadyMilliseconds() override { return inner_.SteadyMilliseconds(); }
  FileTime CurrentTime() override { return inner_.CurrentTime(); }
  std::optional<std::string> ProgramPath() override;

 private:
  class FaultyFile;
  class FaultyWriter;
  class FaultyFolder;

  /// Counts and logs one call; true if the test wants it to fail (by call number, or by `op` on
  /// one of the paths). The caller holds `mutex_` until the call's Done.
  bool Fails(const std::string& what, std::optional<Op> op, const std::string& path,
             const std::string& other = "");
  /// Logs the outcome of the call counted last and passes it through.
  bool Done(bool ok);
  /// One counted call on `path` (and `other`): the empty Result when the test makes it fail,
  /// else what `call` gives, logged as gone well when it converts to true.
  template <typename Result, typename Call>
  Result Counted(const std::string& what, std::optional<Op> op, const std::string& path,
                 const std::string& other, Call call);
  template <typename Result, typename Call>
  Result Counted(const std::string& what, std::optional<Op> op, const std::string& path, Call call);
  /// `inner` wrapped so that its own calls count, as those of `path`; null for null.
  template <typename Wrapper, typename Inner>
  std::unique_ptr<Inner> Wrapped(std::unique_ptr<Inner> inner, const std::string& path);
  /// The form in which failing paths are compared: full, upper case.
  std::string Key(const std::string& path);

  Platform& inner_;
  // Every counted call holds the one lock from its count to its outcome, so that the two threads
  // of a run count their calls in the order in which they make them; recursive because a call
  // counts the steps it is made of.
  using Guard = std::lock_guard<std::recursive_mutex>;
  std::recursive_mutex mutex_;
  std::multimap<Op, std::string> failures_;
  std::size_t failCall_ = 0;
};

}  // namespace murel

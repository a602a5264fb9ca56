// The file system as the program logic sees it: files and folders by Windows-form path
// ("C:\out\a", "\" separator; the POSIX platform maps them onto the host, drive Z: being the
// host's root), looked at, read, written whole under a temporary name and put in place, renamed
// and removed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace murel {

/// A last-write time as a Windows FILETIME value: 100-nanosecond units since 1601-01-01 UTC,
/// compared as an unsigned 64-bit number (high part * 2^32 + low part).
using FileTime = std::uint64_t;

/// The attribute bit that marks a directory in `QueryAttributes`'s result.
constexpr std::uint32_t kFileAttributeDirectory = 0x10;

/// The attribute bit that marks a link (a reparse point): the name is a link itself, whatever it
/// leads to; a link to a directory has kFileAttributeDirectory too.
constexpr std::uint32_t kFileAttributeReparsePoint = 0x400;

/// What opening an existing file and reading its last-write time gave.
struct LastWriteTime {
  bool opened = false;           ///< The file exists and could be opened for reading, shared.
  std::optional<FileTime> time;  ///< Its last-write time; empty if it opened but could not be read.
};

/// What a name is, as seen without following a link at its last component.
enum class FileKind {
  kRegular,    ///< An ordinary file.
  kDirectory,  ///< A folder.
  kLink,       ///< A symbolic link (or another reparse point), whatever it leads to.
  kOther,      ///< A pipe, device, socket or anything else that is no ordinary file.
};

/// The facts of a name in the file system.
struct FileFacts {
  FileKind kind = FileKind::kOther;
  std::uint64_t size = 0;  ///< Bytes, for a regular file.
  FileTime time = 0;       ///< Last-write time.
};

/// What a copy needs to know of its source file: what it is, and whether it opens for reading.
struct SourceFile {
  std::optional<FileFacts> facts;  ///< As QueryFile gives them; empty if nothing is there.
  LastWriteTime read;              ///< As ReadLastWriteTime gives it; not opened unless kRegular.
};

/// A name in a folder, with its facts.
struct FolderItem {
  std::string name;
  std::optional<FileFacts> facts;  ///< As QueryFile gives them; empty if it could not be examined.
};

/// A regular file open for reading. Closing happens on destruction.
class ReadableFile {
 public:
  virtual ~ReadableFile() = default;
  /// The file's size and last-write time when it was opened (kind kRegular).
  virtual const FileFacts& Facts() const = 0;
  /// Reads up to `size` bytes at `offset` into `buffer`. The count read, fewer than `size` only
  /// at the end of the file; empty on a read error.
  virtual std::optional<std::size_t> ReadAt(std::uint64_t offset, unsigned char* buffer,
                                            std::size_t size) = 0;
  /// All the file's bytes (Facts().size of them) when it holds them in memory, so that they can
  /// be used where they are; null for a file read from the system.
  virtual const unsigned char* HeldBytes() const { return nullptr; }
};

/// A new file written from chunks under a temporary name in its target's folder (POSIX: a target
/// that does not exist yet is written at its own name, in a state that QueryFile and
/// ReadLastWriteTime tell from a finished file until `Commit`). Destroying it before `Commit`
/// abandons it: what was written is removed and the target stays as it was.
class BodyWriter {
 public:
  virtual ~BodyWriter() = default;
  /// Appends `size` bytes. False on failure; the writer is then only good for abandoning.
  virtual bool Append(const unsigned char* data, std::size_t size) = 0;
  /// Gives the file the last-write time `time` and puts it in place of the target in one step,
  /// so that the target is either the old file or the whole new one. False on failure, with what
  /// was written removed and the target as it was.
  virtual bool Commit(FileTime time) = 0;
};

/// A folder held open, so that a name in it is looked at and opened one step from the folder
/// rather than along the folder's whole path: what happens to the path meanwhile (the folder
/// renamed, a link put in its place) does not change which folder is read. Closing happens on
/// destruction. Its calls may come from several threads of a run at once.
class OpenedFolder {
 public:
  virtual ~OpenedFolder() = default;
  /// The facts of `name` (a name, not a path) in the folder, as QueryFile gives them for its
  /// full path.
  virtual std::optional<FileFacts> QueryName(const std::string& name) = 0;
  /// Opens the regular file `name` (a name, not a path) in the folder for reading, as
  /// OpenFileForReading opens a path: null when it is missing, a link (never followed), a folder
  /// or any other kind of file, or when `name` holds a separator or is "." or "..".
  virtual std::unique_ptr<ReadableFile> OpenName(const std::string& name) = 0;
  /// Opens the folder `name` (a name, not a path) in the folder: null when it is missing, a link
  /// (never followed) or no folder, or when `name` holds a separator or is "." or "..".
  virtual std::unique_ptr<OpenedFolder> OpenSubfolder(const std::string& name) = 0;
};

/// Looks at paths one after the other, for one thread, each as QueryFile looks at it. A platform
/// may make a run of looks in one folder cheaper by holding that folder open and looking one step
/// from it (POSIX does); a folder moved or replaced during such a run may then still be the one
/// looked in, as with an OpenedFolder.
class FileLooks {
 public:
  virtual ~FileLooks() = default;
  /// What QueryFile(`path`) gives.
  virtual std::optional<FileFacts> Query(const std::string& path) = 0;
};

/// The file services. Their calls may come from several threads of a run at once; an object that a
/// call gives (a file, a writer, a folder) is used by one thread at a time unless it says more.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  /// The facts of `path` without following a link at its last component (levels above it are
  /// followed). Empty if nothing exists under the name or it cannot be examined. A file that a
  /// body writer began and never finished is not kRegular (POSIX: a file no one may read).
  virtual std::optional<FileFacts> QueryFile(const std::string& path) = 0;

  /// Looks at paths one after the other for the calling thread: QueryFile's looks, made cheaper
  /// where the platform can for paths that share a folder.
  virtual std::unique_ptr<FileLooks> LooksInTurn();

  /// The attributes of an existing name (kFileAttributeDirectory set for a directory,
  /// kFileAttributeReparsePoint for a link at the name's last level); empty if nothing exists
  /// under the name or it cannot be examined.
  virtual std::optional<std::uint32_t> QueryAttributes(const std::string& path) = 0;

  /// Opens an existing file for reading (shared for reading and writing), reads its last-write
  /// time and closes it (CreateFileA, GetFileInformationByHandle, CloseHandle). Opening never
  /// waits on a pipe or device; on Linux a link at the last level does not open.
  virtual LastWriteTime ReadLastWriteTime(const std::string& path) = 0;

  /// QueryFile of `path` and, when it gives a regular file, ReadLastWriteTime of it: the looks at
  /// the source of a copy. A platform on which the first tells the second makes one look.
  virtual SourceFile LookAtSource(const std::string& path) {
    SourceFile source{QueryFile(path), {}};
    if (source.facts && source.facts->kind == FileKind::kRegular) {
      source.read = ReadLastWriteTime(path);
    }
    return source;
  }

  /// Room for a whole file of `size` bytes read into memory: `size` zero bytes. A platform may make
  /// the memory of a large one present at once, where the reading would otherwise fault in each
  /// page as it first touches it.
  virtual std::vector<unsigned char> RoomForFile(std::size_t size) {
    return std::vector<unsigned char>(size);
  }

  /// Opens the existing regular file `path` for reading, shared for reading and writing. Null
  /// when it is missing, a folder, a link at its last component (never followed), or any other
  /// kind of file; opening never waits on a pipe or device.
  virtual std::unique_ptr<ReadableFile> OpenFileForReading(const std::string& path) = 0;

  /// Everything in the folder `path` by name (not path), "." and ".." left out, in no particular
  /// order. With `withFacts`, each name comes with its facts as QueryFile gives them, taken as the
  /// folder is read (from the listing itself on Windows, elsewhere by a look relative to the open
  /// folder): cheaper than QueryFile on each name. Without, facts may be missing. Empty if it is
  /// no folder or cannot be read.
  virtual std::optional<std::vector<FolderItem>> ListFolder(const std::string& path,
                                                            bool withFacts) = 0;

  /// Gives `take` every name in the folder `path`, "." and ".." left out, in no particular order,
  /// keeping none: a folder of many names costs no list of them. False if it is no folder or
  /// cannot be read to its end (some names may have been given). These are ListFolder's names
  /// unless a platform lists them more cheaply.
  virtual bool ListNames(const std::string& path,
                         const std::function<void(std::string_view name)>& take) {
    const std::optional<std::vector<FolderItem>> items = ListFolder(path, false);
    if (!items) return false;
    for (const FolderItem& item : *items) take(item.name);
    return true;
  }

  /// Opens the folder `path` for looking at the names in it and opening them. A link at its last
  /// level is followed (the folder a user names is the user's choice). Null if it is no folder or
  /// cannot be opened.
  virtual std::unique_ptr<OpenedFolder> OpenFolder(const std::string& path) = 0;

  /// Creates one directory whose parent exists. False if the name exists (file or directory),
  /// the parent is missing, or the system refuses.
  virtual bool CreateFolder(const std::string& path) = 0;

  /// Renames a file or directory within its volume. Never replaces: false, with nothing changed,
  /// if `to` exists or `from` is missing.
  virtual bool Rename(const std::string& from, const std::string& to) = 0;

  /// Deletes a file. False if it is missing, a directory, or cannot be deleted.
  virtual bool RemoveFile(const std::string& path) = 0;

  /// Creates a new empty file with a unique name "<prefix><hex>.TMP" in the existing directory
  /// `dir` and returns its full path (`unique` is 0: the service chooses the number). Empty if
  /// the directory is missing or no file can be created.
  virtual std::optional<std::string> CreateTemporaryFile(const std::string& dir,
                                                         const std::string& prefix,
                                                         unsigned unique) = 0;

  /// Copies the file `from` onto `to`, replacing an existing file, and gives the copy the source's
  /// last-write time. The copy is atomic: it is written under a temporary name in the target's
  /// directory and renamed into place, so `to` is either the old file or the whole new one. False
  /// on failure, with no new file left behind.
  virtual bool CopyReplacing(const std::string& from, const std::string& to) = 0;

  /// Starts a new file that will replace `target` (its folder exists) when committed: a
  /// temporary name in the target's folder, left by a killed run only in a form that later runs
  /// recognise and remove. Null if no temporary can be made.
  virtual std::unique_ptr<BodyWriter> CreateBodyWriter(const std::string& target) = 0;

  /// CreateBodyWriter for a target where nothing is yet: null when anything is at its name, or
  /// on failure. Asked where a run made the target's folder itself, it spares the look at the
  /// target that deciding between a new file and a replacement otherwise takes (POSIX: the
  /// creation of the file is the look; Windows: one look, then as CreateBodyWriter).
  virtual std::unique_ptr<BodyWriter> CreateNewBodyWriter(const std::string& target) = 0;

  /// Makes `path` absolute against the current directory and resolves "." and ".." components.
  /// Empty if the path cannot be resolved (on Linux: a drive other than Z:) or the result would
  /// exceed `limit` characters.
  virtual std::optional<std::string> FullPath(const std::string& path, std::size_t limit) = 0;

  /// Changes the current directory. False on failure (nothing changed).
  virtual bool ChangeCurrentFolder(const std::string& path) = 0;

  /// The system's words for why the service just called on this thread failed (POSIX: errno;
  /// Windows: GetLastError), to be asked right after the failure; empty when it names no reason.
  virtual std::string LastErrorText() = 0;
};

}  // namespace murel

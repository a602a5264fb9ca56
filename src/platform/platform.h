// The services that the program logic asks of the operating system, as one interface.
//
// The program logic (run, text, rules, export) reaches the system only through a `Platform&` that
// the entry point creates. Paths are Windows-form texts everywhere ("C:\out\a", "\" separator);
// the Windows platform hands them to the API as they are, the POSIX platform maps them onto the
// host (drive Z: is the host's root), and the fake platform used by the tests keeps an in-memory
// file system. Method names follow the Windows services they stand for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace murel {

/// A last-write time as a Windows FILETIME value: 100-nanosecond units since 1601-01-01 UTC,
/// compared as an unsigned 64-bit number (high part * 2^32 + low part).
using FileTime = std::uint64_t;

/// The attribute bit that marks a directory in `GetFileAttributesA`'s result.
constexpr std::uint32_t kFileAttributeDirectory = 0x10;

/// The attribute bit that marks a link (a reparse point): the name is a link itself, whatever it
/// leads to; a link to a directory has kFileAttributeDirectory too.
constexpr std::uint32_t kFileAttributeReparsePoint = 0x400;

/// The code page of the bytes of a piece of text that the user is shown.
enum class CodePage {
  kSystem,   ///< The system's own (ANSI) code page: paths, texts from the language file.
  kBuiltIn,  ///< Windows-1251, the code page of the program's built-in texts.
};

/// A text shown to the user, made of pieces whose bytes may be in different code pages, so that
/// each piece reaches the screen readable whatever the system's code page is.
class ShownText {
 public:
  /// A piece of text and the code page of its bytes.
  struct Piece {
    std::string bytes;
    CodePage codePage;
  };

  ShownText() = default;
  /// A text in the system's code page.
  ShownText(std::string bytes) { Append(std::move(bytes)); }  // NOLINT: implicit on purpose
  ShownText(const char* bytes) : ShownText(std::string(bytes)) {}

  /// Adds `bytes` in `codePage` at the end.
  ShownText& Append(std::string bytes, CodePage codePage = CodePage::kSystem) {
    if (!bytes.empty()) pieces_.push_back({std::move(bytes), codePage});
    return *this;
  }
  ShownText& Append(const char* bytes) { return Append(std::string(bytes)); }
  /// Adds the pieces of `more` at the end.
  ShownText& Append(const ShownText& more) {
    pieces_.insert(pieces_.end(), more.pieces_.begin(), more.pieces_.end());
    return *this;
  }
  /// The bytes of all pieces, joined.
  std::string Bytes() const {
    std::string bytes;
    for (const Piece& piece : pieces_) bytes += piece.bytes;
    return bytes;
  }
  /// Drops what lies past the first `limit` bytes.
  void Cut(std::size_t limit) {
    for (std::size_t i = 0; i < pieces_.size(); ++i) {
      if (limit <= pieces_[i].bytes.size()) {
        pieces_[i].bytes.resize(limit);
        pieces_.resize(limit == 0 ? i : i + 1);
        return;
      }
      limit -= pieces_[i].bytes.size();
    }
  }
  const std::vector<Piece>& Pieces() const { return pieces_; }

 private:
  std::vector<Piece> pieces_;
};

/// The icon kind of a message box.
enum class BoxIcon { kNone, kWarning, kError };

/// What opening an existing file and reading its last-write time gave.
struct LastWriteTime {
  bool opened = false;           ///< The file exists and could be opened for reading, shared.
  std::optional<FileTime> time;  ///< Its last-write time; empty if it opened but could not be read.
};

/// What a folder of the user's is, for finding the caches that browsers keep below it.
enum class UserFolderKind {
  kHome,            ///< The home folder (Linux: snap and flatpak browsers keep theirs below it).
  kCacheHome,       ///< Linux: $XDG_CACHE_HOME, else ~/.cache.
  kConfigHome,      ///< Linux: $XDG_CONFIG_HOME, else ~/.config.
  kLocalAppData,    ///< Windows: %LOCALAPPDATA%.
  kRoamingAppData,  ///< Windows: %APPDATA%.
  kWinePrefix,      ///< Linux: a Wine prefix ($WINEPREFIX, ~/.wine), which holds drive_c.
};

/// A folder of the user's, as a full path that the file services take.
struct UserFolder {
  UserFolderKind kind;
  std::string path;
};

/// The habits of the system's users that a run follows where the Windows program's own behaviour
/// would surprise them.
enum class Conventions {
  /// The Windows program's: a run without a path exports beside the program, and a failed copy
  /// shows the path of the cache file alone.
  kWindows,
  /// A Unix command-line tool's: a run without a path exports to the current folder, a failed
  /// copy also says the URL, the target and why, and a run that fails without rules says where
  /// the rules were looked for.
  kUnix,
};

/// One entry of the system's cache walk: the URL and the full path of the local file that holds
/// its content (empty when the entry has no local file).
struct UrlCacheEntry {
  std::string url;
  std::string localFile;
};

/// How one step of the cache walk ended.
enum class WalkStatus {
  kEntry,           ///< An entry was delivered.
  kBufferTooSmall,  ///< The entry's record needs more than the offered record size; the walk has
                    ///< not moved, and the record size now holds the size it needs.
  kFailed,          ///< No entry: the walk cannot start, or it has no further entry.
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
/// destruction. Its calls may come from both threads of a run at once.
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

/// An open cache walk. Destroying it ends the walk.
class CacheWalk {
 public:
  virtual ~CacheWalk() = default;
};

/// A line on the user's terminal that is drawn again in place, for the progress of a run.
class StatusLine {
 public:
  virtual ~StatusLine() = default;
  /// Replaces the line's text with `text` (one line, no "\n").
  virtual void Redraw(const ShownText& text) = 0;
  /// Replaces the line's text with `text` and ends the line, so that later output goes below.
  virtual void Finish(const ShownText& text) = 0;
};

/// The system's services. A run reads a cache's files on a second thread while the first one
/// writes, so every call may come from either thread while the other makes calls of its own;
/// an object that a call gives (a file, a writer) is used by one thread at a time.
class Platform {
 public:
  virtual ~Platform() = default;

  // --- Cache walk -------------------------------------------------------------------------------

  /// The profile folder of the current user's Windows account in the Wine prefix that Wine would
  /// use, as a full path that the file services take, whether it exists or not: on Linux
  /// $WINEPREFIX, else ~/.wine, then "drive_c\users\" and $USER, else the account's name. Empty
  /// where programs run without Wine (Windows).
  virtual std::optional<std::string> WineUserProfile() = 0;

  /// The current user's folders below which browsers keep their caches, each that exists and is
  /// a folder, in the order of UserFolderKind: the kinds the system has (Linux: home, cache
  /// home, config home, Wine prefixes; Windows: home, local and roaming application data).
  virtual std::vector<UserFolder> UserFolders() = 0;

  /// The folder where programs keep the current user's cached data, as a full path that the file
  /// services take, whether it exists or not (Linux: $XDG_CACHE_HOME when it is absolute, else
  /// ~/.cache; Windows: %LOCALAPPDATA%). Empty when the system names none.
  virtual std::optional<std::string> UserCacheFolder() = 0;

  /// Starts a walk over the system's URL cache (WinINet's on Windows; Linux has none and gives
  /// kFailed) and delivers its first entry. `recordSize` is the size of the record buffer
  /// offered; on kBufferTooSmall it is set to the size needed. On kEntry, `walk` holds the open
  /// walk and `entry` the first entry. A cache with no entries gives kFailed.
  virtual WalkStatus FindFirstUrlCacheEntryA(const std::string& searchPattern,
                                             std::uint32_t& recordSize, UrlCacheEntry& entry,
                                             std::unique_ptr<CacheWalk>& walk) = 0;

  /// Delivers the next entry of `walk`; `recordSize` as for `FindFirstUrlCacheEntryA`. kFailed
  /// when there is no further entry.
  virtual WalkStatus FindNextUrlCacheEntryA(CacheWalk& walk, std::uint32_t& recordSize,
                                            UrlCacheEntry& entry) = 0;

  // --- Reading cache files ----------------------------------------------------------------------

  /// The facts of `path` without following a link at its last component (levels above it are
  /// followed). Empty if nothing exists under the name or it cannot be examined. A file that a
  /// body writer began and never finished is not kRegular (POSIX: a file no one may read).
  virtual std::optional<FileFacts> QueryFile(const std::string& path) = 0;

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

  /// Opens the folder `path` for looking at the names in it and opening them. A link at its last
  /// level is followed (the folder a user names is the user's choice). Null if it is no folder or
  /// cannot be opened.
  virtual std::unique_ptr<OpenedFolder> OpenFolder(const std::string& path) = 0;

  // --- File system ------------------------------------------------------------------------------

  /// Creates one directory whose parent exists. False if the name exists (file or directory),
  /// the parent is missing, or the system refuses.
  virtual bool CreateDirectoryA(const std::string& path) = 0;

  /// The attributes of an existing name (kFileAttributeDirectory set for a directory,
  /// kFileAttributeReparsePoint for a link at the name's last level); empty if nothing exists
  /// under the name or it cannot be examined.
  virtual std::optional<std::uint32_t> GetFileAttributesA(const std::string& path) = 0;

  /// Creates a new empty file with a unique name "<prefix><hex>.TMP" in the existing directory
  /// `dir` and returns its full path (`unique` is 0: the service chooses the number). Empty if
  /// the directory is missing or no file can be created.
  virtual std::optional<std::string> GetTempFileNameA(const std::string& dir,
                                                      const std::string& prefix,
                                                      unsigned unique) = 0;

  /// Deletes a file. False if it is missing, a directory, or cannot be deleted.
  virtual bool DeleteFileA(const std::string& path) = 0;

  /// Renames a file or directory within its volume. Never replaces: false, with nothing changed,
  /// if `to` exists or `from` is missing.
  virtual bool MoveFileA(const std::string& from, const std::string& to) = 0;

  /// Opens an existing file for reading (shared for reading and writing), reads its last-write
  /// time and closes it (CreateFileA, GetFileInformationByHandle, CloseHandle). Opening never
  /// waits on a pipe or device; on Linux a link at the last level does not open.
  virtual LastWriteTime ReadLastWriteTime(const std::string& path) = 0;

  /// Copies the file `from` onto `to`, replacing an existing file, and gives the copy the source's
  /// last-write time. The copy is atomic: it is written under a temporary name in the target's
  /// directory and renamed into place, so `to` is either the old file or the whole new one. False
  /// on failure, with no new file left behind.
  virtual bool CopyFileA(const std::string& from, const std::string& to) = 0;

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
  virtual std::optional<std::string> GetFullPathNameA(const std::string& path,
                                                      std::size_t limit) = 0;

  /// The full path of the program's own file; empty on failure.
  virtual std::optional<std::string> GetModuleFileNameA() = 0;

  /// Changes the current directory. False on failure (nothing changed).
  virtual bool SetCurrentDirectoryA(const std::string& path) = 0;

  // --- Profile (INI) files ----------------------------------------------------------------------

  /// The entries ("key=value" or other non-blank lines) of one section of a profile file, in file
  /// order, as the profile-section reader returns them within a buffer of `capacity` characters
  /// (each entry costs its length plus one); entries that do not fit are lost. Empty if the file
  /// or section is missing.
  virtual std::vector<std::string> GetPrivateProfileSectionA(const std::string& section,
                                                             const std::string& file,
                                                             std::size_t capacity) = 0;

  /// The values of `keys` in one section of a profile file, in the order of `keys`, each as the
  /// key reader (GetPrivateProfileStringA with a 500-character buffer) gives it: cut to 499
  /// characters, empty if the file, section or key is missing. However large the file, the
  /// memory used is bounded by the keys asked.
  virtual std::vector<std::string> GetPrivateProfileStrings(const std::string& section,
                                                            const std::vector<std::string>& keys,
                                                            const std::string& file) = 0;

  // --- Configuration ----------------------------------------------------------------------------

  /// The folders where murel's configuration files (murel.ini, murel.lng) are looked for after the
  /// current folder, in that order, as full paths whether they exist or not. Linux:
  /// $XDG_CONFIG_HOME/murel (else ~/.config/murel), then <folder>/murel for each absolute folder
  /// of $XDG_CONFIG_DIRS (else /etc/xdg/murel). Windows: none.
  virtual std::vector<std::string> ConfigurationFolders() = 0;

  /// Which users' habits the run follows.
  virtual Conventions UserConventions() = 0;

  /// The system's words for why the service just called on this thread failed (POSIX: errno;
  /// Windows: GetLastError), to be asked right after the failure; empty when it names no reason.
  virtual std::string LastErrorText() = 0;

  // --- User interface and output ----------------------------------------------------------------

  /// The language the user reads, as a lower-case ISO 639 code ("en", "de", "ru"); empty when
  /// the system names none or leaves the choice to the program (Windows: the program's own
  /// Russian texts; Linux: no locale set, or the C or POSIX locale).
  virtual std::string UserLanguage() = 0;

  /// Shows a message box with an OK button, owned by no window, and returns when it is closed.
  /// Each piece of `text` and `caption` is shown as its code page reads, whatever the system's
  /// code page (on Windows through the wide API).
  virtual void MessageBoxA(const ShownText& text, const ShownText& caption, BoxIcon icon) = 0;

  /// A status line on standard error when that is a terminal (Linux); null when it is not, or
  /// the system shows no progress (Windows, whose program has no console). While it is drawn, a
  /// message box that goes to the terminal first clears it.
  virtual std::unique_ptr<StatusLine> OpenStatusLine() = 0;

  /// Milliseconds on a clock that never goes back, for pacing the redraws of a status line.
  virtual std::uint64_t SteadyMilliseconds() = 0;

  /// The time now, on the clock that gives files their last-write times.
  virtual FileTime CurrentTime() = 0;

  /// How a Windows-form path is shown to the user: the path itself on Windows, the host path on
  /// Linux ("Z:\tmp\out" shows as "/tmp/out").
  virtual std::string DisplayPath(const std::string& path) = 0;
};

}  // namespace murel

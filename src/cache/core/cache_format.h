// What one cache format is: its name, what it reads, where browsers keep it and how it is opened.
// Each format's folder describes its own (e.g. cache/chromium/chromium_format.h); the opener, the
// finder and what a build says it reads are made from the list of them (cache/cache_formats.h).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cache/core/cache_reader.h"
#include "cache/core/entry_memo.h"
#include "platform/platform.h"

namespace murel {

/// A place where browsers keep a cache of a format: the folders that `pattern` names below each
/// user folder of kind `base` (those of UserFolders, and the Windows users' folders inside the
/// Wine prefixes). Levels are separated by "\"; a level "*" stands for each folder there (a
/// profile, an application).
struct CachePlace {
  UserFolderKind base;
  const char* pattern;
};

/// A kind of cache that a format covers, as "--version" and "--help" name it, and whether this
/// build reads it (Chromium's SQL cache needs the SQLite library).
struct CacheKind {
  const char* name;  ///< As shown: "Chromium SQL".
  bool inBuild;
};

/// One cache format. A format opens a named folder with `openFolder`, or, when it keeps one entry
/// a file and so uses the memo of the last run, with `openRemembering`; exactly one is set.
struct CacheFormat {
  /// The reader for the cache in or below the folder `folder` (a full path, no trailing "\"),
  /// looking in the places where the format keeps its files relative to the folders a user is
  /// likely to name; null when the format is not there or cannot be read. `opened` is `folder`
  /// held open by the caller, so that every format looks into the same folder; null to open it
  /// here.
  using FolderOpener = std::unique_ptr<CacheReader> (*)(Platform& platform,
                                                        const std::string& folder,
                                                        std::shared_ptr<OpenedFolder> opened);
  /// As FolderOpener, for a format that uses and adds to `memo` when it is given.
  using RememberingOpener = std::unique_ptr<CacheReader> (*)(Platform& platform,
                                                             const std::string& folder,
                                                             EntryMemo* memo,
                                                             std::shared_ptr<OpenedFolder> opened);
  /// The reader for the cache file `path` (a full path); null when it cannot be read.
  using FileOpener = std::unique_ptr<CacheReader> (*)(Platform& platform, const std::string& path);
  /// The reader over the system's own cache; null when it cannot be opened or is empty.
  using SystemOpener = std::unique_ptr<CacheReader> (*)(Platform& platform);

  /// The format's short name, as the list of caches and web archives show it.
  const char* name = nullptr;
  /// The kinds of cache it covers, in the order "--version" and "--help" name them.
  std::vector<CacheKind> kinds;
  /// What the format is and what in a folder shows it, for the message when no format is found.
  std::string lookedFor;
  /// Where browsers keep it on each system. For a format kept in one file, the places are also
  /// where the default cache is looked for, in this order (the current layout first).
  std::vector<CachePlace> places;

  FolderOpener openFolder = nullptr;
  RememberingOpener openRemembering = nullptr;
  /// For a format kept in one file that a user may name (WinINet's "index.dat"): the file's name
  /// in the cache folder, and its opener. Null for a format kept in many files.
  const char* cacheFile = nullptr;
  FileOpener openFile = nullptr;
  /// For the format of the system's own cache (WinINet, walked by the platform on Windows): the
  /// reader over that cache, the one read when no other default is found. Null otherwise.
  SystemOpener openSystem = nullptr;

  /// The reader for the cache in or below `folder`, by the format's opener (see FolderOpener).
  /// `memo`, when given, reaches only a format that uses it.
  std::unique_ptr<CacheReader> Open(Platform& platform, const std::string& folder, EntryMemo* memo,
                                    std::shared_ptr<OpenedFolder> opened) const;
};

}  // namespace murel

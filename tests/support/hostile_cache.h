// A cache whose URLs attack the export: climbing names, backslashes, device names, colons,
// control characters, bytes that are not UTF-8, URLs of thousands of characters, and thousands of
// entries with one URL; with a few ordinary entries that must be exported all the same. Shared by
// the native and the Windows end-to-end tests.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace murel {

/// An ordinary entry of the hostile cache and the file it must be exported to, relative to the
/// export root with "/" separators (as the sample rules make it), with its content.
struct ExpectedExport {
  std::string url;
  std::string path;
  std::string content;
};

/// Writes "index.dat" and its content files into the existing folder `cacheFolder` (a path the
/// running program can open). False if a file cannot be written.
bool WriteHostileCache(const std::string& cacheFolder);

/// How many entries the hostile cache holds, each of which makes one listing line.
std::size_t HostileCacheEntryCount();

/// The ordinary entries of the hostile cache.
std::vector<ExpectedExport> HostileCacheOrdinaryEntries();

/// Writes a Firefox cache ("cache2/entries" under the existing folder `profileFolder`) whose
/// content codings attack the decoder: "http://h/nested.html" under 130 layers of gzip (4 KB)
/// and "http://h/bomb.html", whose 2 KB expand to 64 MiB between two gzip stages and to nothing
/// at the end. Beside them, the entries of HostileCodingsOrdinaryEntries(). False if a file cannot
/// be written.
bool WriteHostileCodingsCache(const std::string& profileFolder);

/// The entries of the codings cache that export: two gzip layers, an unknown label, no coding.
std::vector<ExpectedExport> HostileCodingsOrdinaryEntries();

/// Writes a small cache into the new folder `folder` (a path the running program can open)
/// whose bodies all begin with `mark`: two caches of one kind differ only in their bodies.
using MarkedCacheWriter = void (*)(const std::string& folder, const std::string& mark);

/// A writer of marked caches for each format kept in a folder of its own that this build reads,
/// by name: Firefox's, Chromium's blockfile cache and, in a build with SQLite, its SQL cache.
std::vector<std::pair<std::string, MarkedCacheWriter>> MarkedCaches();

/// Every body that the cache at `folder` gives through `platform`, read as an export reads it.
std::vector<std::string> BodiesOf(Platform& platform, const std::string& folder);

/// The real platform `Base` with a hostile user who, when the `swapAt`th file is opened in a
/// folder whose path holds `folderName`, first calls `swap` (which puts another folder at that
/// folder's path). Opens by path and opens in a folder held open both count.
template <class Base>
class SwappingPlatform : public Base {
 public:
  SwappingPlatform(std::string folderName, int swapAt, std::function<void()> swap)
      : folderName_(std::move(folderName)), swapAt_(swapAt), swap_(std::move(swap)) {}

  std::unique_ptr<ReadableFile> OpenFileForReading(const std::string& path) override {
    if (path.find(folderName_) != std::string::npos) Count();
    return Base::OpenFileForReading(path);
  }

  std::unique_ptr<OpenedFolder> OpenFolder(const std::string& path) override {
    std::unique_ptr<OpenedFolder> opened = Base::OpenFolder(path);
    return opened ? std::make_unique<Counted>(*this, std::move(opened)) : nullptr;
  }

 private:
  // A folder held open whose file opens count.
  class Counted : public OpenedFolder {
   public:
    Counted(SwappingPlatform& platform, std::unique_ptr<OpenedFolder> folder)
        : platform_(platform), folder_(std::move(folder)) {}
    std::optional<FileFacts> QueryName(const std::string& name) override {
      return folder_->QueryName(name);
    }
    std::unique_ptr<ReadableFile> OpenName(const std::string& name) override {
      platform_.Count();
      return folder_->OpenName(name);
    }
    std::unique_ptr<OpenedFolder> OpenSubfolder(const std::string& name) override {
      return folder_->OpenSubfolder(name);
    }

   private:
    SwappingPlatform& platform_;
    std::unique_ptr<OpenedFolder> folder_;
  };

  void Count() {
    if (++opens_ == swapAt_) swap_();
  }

  std::string folderName_;
  int swapAt_;
  std::function<void()> swap_;
  int opens_ = 0;
};

}  // namespace murel

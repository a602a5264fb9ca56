#include "support/faulty_platform.h"

#include <cctype>
#include <utility>

namespace murel {
namespace {

// Whether the last counted call on this thread was made to fail, so that LastErrorText answers
// for it rather than the inner platform, which never saw the call.
thread_local bool lastCallInjected = false;

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// A name one step down from a folder, as an opened folder takes it.
bool IsOneStep(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of("\\/") == std::string::npos;
}

}  // namespace

// A file whose reads count, as ReadAt calls on its path.
class FaultyPlatform::FaultyFile : public ReadableFile {
 public:
  FaultyFile(FaultyPlatform& platform, std::unique_ptr<ReadableFile> inner, std::string path)
      : platform_(platform), inner_(std::move(inner)), path_(std::move(path)) {}
  const FileFacts& Facts() const override { return inner_->Facts(); }
  std::optional<std::size_t> ReadAt(std::uint64_t offset, unsigned char* buffer,
                                    std::size_t size) override {
    const Guard guard(platform_.mutex_);
    if (platform_.Fails("ReadAt", Op::kReadFile, path_)) {
      platform_.Done(false);
      return std::nullopt;
    }
    const std::optional<std::size_t> got = inner_->ReadAt(offset, buffer, size);
    platform_.Done(got.has_value());
    return got;
  }
  // The bytes are read through ReadAt, where a read can be made to fail.
  const unsigned char* HeldBytes() const override { return nullptr; }

 private:
  FaultyPlatform& platform_;
  std::unique_ptr<ReadableFile> inner_;
  std::string path_;
};

// A body writer whose steps count, matched against its target.
class FaultyPlatform::FaultyWriter : public BodyWriter {
 public:
  FaultyWriter(FaultyPlatform& platform, std::unique_ptr<BodyWriter> inner, std::string target)
      : platform_(platform), inner_(std::move(inner)), target_(std::move(target)) {}
  bool Append(const unsigned char* data, std::size_t size) override {
    const Guard guard(platform_.mutex_);
    if (platform_.Fails("BodyWriter.Append", Op::kAppendBody, target_))
      return platform_.Done(false);
    return platform_.Done(inner_->Append(data, size));
  }
  bool Commit(FileTime time) override {
    const Guard guard(platform_.mutex_);
    if (platform_.Fails("BodyWriter.Commit", Op::kCommitBody, target_))
      return platform_.Done(false);
    return platform_.Done(inner_->Commit(time));
  }

 private:
  FaultyPlatform& platform_;
  std::unique_ptr<BodyWriter> inner_;
  std::string target_;
};

// A folder whose looks and opens count as QueryFile and OpenFileForReading of the path below it.
class FaultyPlatform::FaultyFolder : public OpenedFolder {
 public:
  FaultyFolder(FaultyPlatform& platform, std::unique_ptr<OpenedFolder> inner, std::string path)
      : platform_(platform), inner_(std::move(inner)), path_(std::move(path)) {}
  std::optional<FileFacts> QueryName(const std::string& name) override {
    if (!IsOneStep(name)) return inner_->QueryName(name);
    const Guard guard(platform_.mutex_);
    if (platform_.Fails("QueryFile", Op::kQueryFile, PathOf(name))) {
      platform_.Done(false);
      return std::nullopt;
    }
    std::optional<FileFacts> facts = inner_->QueryName(name);
    platform_.Done(facts.has_value());
    return facts;
  }
  std::unique_ptr<ReadableFile> OpenName(const std::string& name) override {
    if (!IsOneStep(name)) return inner_->OpenName(name);
    const Guard guard(platform_.mutex_);
    if (platform_.Fails("OpenFileForReading", Op::kOpenFile, PathOf(name))) {
      platform_.Done(false);
      return nullptr;
    }
    std::unique_ptr<ReadableFile> file = inner_->OpenName(name);
    platform_.Done(file != nullptr);
    if (!file) return nullptr;
    return std::make_unique<FaultyFile>(platform_, std::move(file), PathOf(name));
  }
  std::unique_ptr<OpenedFolder> OpenSubfolder(const std::string& name) override {
    std::unique_ptr<OpenedFolder> folder = inner_->OpenSubfolder(name);
    if (!folder) return nullptr;
    return std::make_unique<FaultyFolder>(platform_, std::move(folder), PathOf(name));
  }

 private:
  std::string PathOf(const std::string& name) const { return path_ + "\\" + name; }

  FaultyPlatform& platform_;
  std::unique_ptr<OpenedFolder> inner_;
  std::string path_;
};

// --- Choosing and counting failures -------------------------------------------------------------

void FaultyPlatform::FailOn(Op op, const std::string& path) {
  const Guard guard(mutex_);
  failures_.emplace(op, path.empty() ? std::string() : Key(path));
}

void FaultyPlatform::ClearFailures() {
  const Guard guard(mutex_);
  failures_.clear();
}

void FaultyPlatform::FailCall(std::size_t number) {
  const Guard guard(mutex_);
  failCall_ = number;
}

bool FaultyPlatform::Fails(const std::string& what, std::optional<Op> op, const std::string& path,
                           const std::string& other) {
  const Guard guard(mutex_);
  ++calls;
  log.push_back(what + " " + path + (other.empty() ? "" : " " + other));
  lastCallInjected = true;
  if (calls == failCall_) return true;
  if (op) {
    const auto [first, last] = failures_.equal_range(*op);
    for (auto it = first; it != last; ++it) {
      if (it->second.empty() || it->second == Key(path) ||
          (!other.empty() && it->second == Key(other))) {
        return true;
      }
    }
  }
  lastCallInjected = false;
  return false;
}

bool FaultyPlatform::Done(bool ok) {
  const Guard guard(mutex_);
  log.back() += ok ? " -> ok" : " -> fail";
  return ok;
}

std::string FaultyPlatform::Key(const std::string& path) {
  // A path that cannot be made full is compared as it is.
  return Upper(inner_.FullPath(path, std::string::npos).value_or(path));
}

// --- FileSystem ---------------------------------------------------------------------------------

std::optional<FileFacts> FaultyPlatform::QueryFile(const std::string& path) {
  const Guard guard(mutex_);
  if (Fails("QueryFile", Op::kQueryFile, path)) {
    Done(false);
    return std::nullopt;
  }
  std::optional<FileFacts> facts = inner_.QueryFile(path);
  Done(facts.has_value());
  return facts;
}

std::optional<std::uint32_t> FaultyPlatform::QueryAttributes(const std::string& path) {
  const Guard guard(mutex_);
  if (Fails("QueryAttributes", Op::kQueryAttributes, path)) {
    Done(false);
    return std::nullopt;
  }
  const std::optional<std::uint32_t> attributes = inner_.QueryAttributes(path);
  Done(attributes.has_value());
  return attributes;
}

LastWriteTime FaultyPlatform::ReadLastWriteTime(const std::string& path) {
  const Guard guard(mutex_);
  if (Fails("ReadLastWriteTime", Op::kOpenFile, path)) {
    Done(false);
    return {};
  }
  LastWriteTime result = inner_.ReadLastWriteTime(path);
  if (!result.opened) {
    Done(false);
    return result;
  }
  // The reading of the time is a step of its own, which may fail after the opening went well.
  if (Fails("ReadLastWriteTime.time", Op::kReadTime, path)) result.time.reset();
  Done(result.time.has_value());
  return result;
}

std::unique_ptr<ReadableFile> FaultyPlatform::OpenFileForReading(const std::string& path) {
  const Guard guard(mutex_);
  if (Fails("OpenFileForReading", Op::kOpenFile, path)) {
    Done(false);
    return nullptr;
  }
  std::unique_ptr<ReadableFile> file = inner_.OpenFileForReading(path);
  Done(file != nullptr);
  if (!file) return nullptr;
  return std::make_unique<FaultyFile>(*this, std::move(file), path);
}

std::optional<std::vector<FolderItem>> FaultyPlatform::ListFolder(const std::string& path,
                                                                  bool withFacts) {
  const Guard guard(mutex_);
  if (Fails("ListFolder", Op::kListFolder, path)) {
    Done(false);
    return std::nullopt;
  }
  std::optional<std::vector<FolderItem>> items = inner_.ListFolder(path, withFacts);
  Done(items.has_value());
  return items;
}

std::unique_ptr<OpenedFolder> FaultyPlatform::OpenFolder(const std::string& path) {
  const Guard guard(mutex_);
  if (Fails("OpenFolder", Op::kListFolder, path)) {
    Done(false);
    return nullptr;
  }
  std::unique_ptr<OpenedFolder> folder = inner_.OpenFolder(path);
  Done(folder != nullptr);
  if (!folder) return nullptr;
  return std::make_unique<FaultyFolder>(*this, std::move(folder), path);
}

bool FaultyPlatform::CreateFolder(const std::string& path) {
  const Guard guard(mutex_);
  if (Fails("CreateFolder", Op::kCreateFolder, path)) return Done(false);
  return Done(inner_.CreateFolder(path));
}

bool FaultyPlatform::Rename(const std::string& from, const std::string& to) {
  const Guard guard(mutex_);
  if (Fails("Rename", Op::kRename, from, to)) return Done(false);
  return Done(inner_.Rename(from, to));
}

bool FaultyPlatform::RemoveFile(const std::string& path) {
  const Guard guard(mutex_);
  if (Fails("RemoveFile", Op::kRemoveFile, path)) return Done(false);
  return Done(inner_.RemoveFile(path));
}

std::optional<std::string> FaultyPlatform::CreateTemporaryFile(const std::string& dir,
                                                               const std::string& prefix,
                                                               unsigned unique) {
  const Guard guard(mutex_);
  if (Fails("CreateTemporaryFile", Op::kCreateTemporaryFile, dir)) {
    Done(false);
    return std::nullopt;
  }
  std::optional<std::string> name = inner_.CreateTemporaryFile(dir, prefix, unique);
  Done(name.has_value());
  return name;
}

bool FaultyPlatform::CopyReplacing(const std::string& from, const std::string& to) {
  const Guard guard(mutex_);
  if (Fails("CopyReplacing", Op::kCopyReplacing, from, to)) return Done(false);
  return Done(inner_.CopyReplacing(from, to));
}

std::unique_ptr<BodyWriter> FaultyPlatform::CreateBodyWriter(const std::string& target) {
  const Guard guard(mutex_);
  if (Fails("CreateBodyWriter", Op::kCreateBody, target)) {
    Done(false);
    return nullptr;
  }
  std::unique_ptr<BodyWriter> writer = inner_.CreateBodyWriter(target);
  Done(writer != nullptr);
  if (!writer) return nullptr;
  return std::make_unique<FaultyWriter>(*this, std::move(writer), target);
}

std::unique_ptr<BodyWriter> FaultyPlatform::CreateNewBodyWriter(const std::string& target) {
  const Guard guard(mutex_);
  if (Fails("CreateNewBodyWriter", Op::kCreateBody, target)) {
    Done(false);
    return nullptr;
  }
  std::unique_ptr<BodyWriter> writer = inner_.CreateNewBodyWriter(target);
  Done(writer != nullptr);
  if (!writer) return nullptr;
  return std::make_unique<FaultyWriter>(*this, std::move(writer), target);
}

std::optional<std::string> FaultyPlatform::FullPath(const std::string& path, std::size_t limit) {
  const Guard guard(mutex_);
  if (Fails("FullPath", Op::kFullPath, path)) {
    Done(false);
    return std::nullopt;
  }
  std::optional<std::string> full = inner_.FullPath(path, limit);
  Done(full.has_value());
  return full;
}

bool FaultyPlatform::ChangeCurrentFolder(const std::string& path) {
  const Guard guard(mutex_);
  if (Fails("ChangeCurrentFolder", Op::kChangeCurrentFolder, path)) return Done(false);
  return Done(inner_.ChangeCurrentFolder(path));
}

std::string FaultyPlatform::LastErrorText() {
  return lastCallInjected ? lastErrorText : inner_.LastErrorText();
}

// --- Desktop, system cache, profiles, environment -----------------------------------------------

void FaultyPlatform::ShowMessage(const ShownText& text, const ShownText& caption, BoxIcon icon) {
  const Guard guard(mutex_);
  if (Fails("ShowMessage", std::nullopt, caption.Bytes())) {
    Done(false);
    return;
  }
  Done(true);
  inner_.ShowMessage(text, caption, icon);
}

WalkStatus FaultyPlatform::StartCacheWalk(const std::string& searchPattern,
                                          std::uint32_t& recordSize, UrlCacheEntry& entry,
                                          std::unique_ptr<CacheWalk>& walk) {
  const Guard guard(mutex_);
  if (Fails("StartCacheWalk", Op::kCacheOpen, "")) {
    Done(false);
    return WalkStatus::kFailed;
  }
  const WalkStatus status = inner_.StartCacheWalk(searchPattern, recordSize, entry, walk);
  Done(status == WalkStatus::kEntry);
  return status;
}

WalkStatus FaultyPlatform::ContinueCacheWalk(CacheWalk& walk, std::uint32_t& recordSize,
                                             UrlCacheEntry& entry) {
  const Guard guard(mutex_);
  if (Fails("ContinueCacheWalk", Op::kCacheNext, "")) {
    Done(false);
    return WalkStatus::kFailed;
  }
  const WalkStatus status = inner_.ContinueCacheWalk(walk, recordSize, entry);
  Done(status == WalkStatus::kEntry);
  return status;
}

std::vector<std::string> FaultyPlatform::ReadProfileSection(const std::string& section,
                                                            const std::string& file,
                                                            std::size_t capacity) {
  const Guard guard(mutex_);
  if (Fails("ReadProfileSection", std::nullopt, file, section)) {
    Done(false);
    return {};
  }
  std::vector<std::string> entries = inner_.ReadProfileSection(section, file, capacity);
  Done(!entries.empty());
  return entries;
}

std::vector<std::string> FaultyPlatform::ReadProfileStrings(const std::string& section,
                                                            const std::vector<std::string>& keys,
                                                            const std::string& file) {
  const Guard guard(mutex_);
  if (Fails("ReadProfileStrings", std::nullopt, file, section)) {
    Done(false);
    return std::vector<std::string>(keys.size());
  }
  std::vector<std::string> values = inner_.ReadProfileStrings(section, keys, file);
  Done(true);
  return values;
}

std::optional<std::string> FaultyPlatform::ProgramPath() {
  const Guard guard(mutex_);
  if (Fails("ProgramPath", std::nullopt, "")) {
    Done(false);
    return std::nullopt;
  }
  std::optional<std::string> path = inner_.ProgramPath();
  Done(path.has_value());
  return path;
}

}  // namespace murel

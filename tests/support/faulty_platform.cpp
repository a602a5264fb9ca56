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
    return platform_.Counted<std::optional<std::size_t>>(
        "ReadAt", Op::kReadFile, path_, [&] { return inner_->ReadAt(offset, buffer, size); });
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
    return platform_.Counted<bool>("BodyWriter.Append", Op::kAppendBody, target_,
                                   [&] { return inner_->Append(data, size); });
  }
  bool Commit(FileTime time) override {
    return platform_.Counted<bool>("BodyWriter.Commit", Op::kCommitBody, target_,
                                   [&] { return inner_->Commit(time); });
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
    return platform_.Counted<std::optional<FileFacts>>("QueryFile", Op::kQueryFile, PathOf(name),
                                                       [&] { return inner_->QueryName(name); });
  }
  std::unique_ptr<ReadableFile> OpenName(const std::string& name) override {
    if (!IsOneStep(name)) return inner_->OpenName(name);
    return platform_.Wrapped<FaultyFile>(platform_.Counted<std::unique_ptr<ReadableFile>>(
                                             "OpenFileForReading", Op::kOpenFile, PathOf(name),
                                             [&] { return inner_->OpenName(name); }),
                                         PathOf(name));
  }
  std::unique_ptr<OpenedFolder> OpenSubfolder(const std::string& name) override {
    return platform_.Wrapped<FaultyFolder>(inner_->OpenSubfolder(name), PathOf(name));
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

template <typename Result, typename Call>
Result FaultyPlatform::Counted(const std::string& what, std::optional<Op> op,
                               const std::string& path, const std::string& other, Call call) {
  const Guard guard(mutex_);
  if (Fails(what, op, path, other)) {
    Done(false);
    return Result();
  }
  Result result = call();
  Done(static_cast<bool>(result));
  return result;
}

template <typename Result, typename Call>
Result FaultyPlatform::Counted(const std::string& what, std::optional<Op> op,
                               const std::string& path, Call call) {
  return Counted<Result>(what, op, path, std::string(), call);
}

template <typename Wrapper, typename Inner>
std::unique_ptr<Inner> FaultyPlatform::Wrapped(std::unique_ptr<Inner> inner,
                                               const std::string& path) {
  if (!inner) return nullptr;
  return std::make_unique<Wrapper>(*this, std::move(inner), path);
}

// --- FileSystem ---------------------------------------------------------------------------------

std::optional<FileFacts> FaultyPlatform::QueryFile(const std::string& path) {
  return Counted<std::optional<FileFacts>>("QueryFile", Op::kQueryFile, path,
                                           [&] { return inner_.QueryFile(path); });
}

std::optional<std::uint32_t> FaultyPlatform::QueryAttributes(const std::string& path) {
  return Counted<std::optional<std::uint32_t>>("QueryAttributes", Op::kQueryAttributes, path,
                                               [&] { return inner_.QueryAttributes(path); });
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
  return Wrapped<FaultyFile>(
      Counted<std::unique_ptr<ReadableFile>>("OpenFileForReading", Op::kOpenFile, path,
                                             [&] { return inner_.OpenFileForReading(path); }),
      path);
}

std::optional<std::vector<FolderItem>> FaultyPlatform::ListFolder(const std::string& path,
                                                                  bool withFacts) {
  return Counted<std::optional<std::vector<FolderItem>>>(
      "ListFolder", Op::kListFolder, path, [&] { return inner_.ListFolder(path, withFacts); });
}

std::unique_ptr<OpenedFolder> FaultyPlatform::OpenFolder(const std::string& path) {
  return Wrapped<FaultyFolder>(
      Counted<std::unique_ptr<OpenedFolder>>("OpenFolder", Op::kListFolder, path,
                                             [&] { return inner_.OpenFolder(path); }),
      path);
}

bool FaultyPlatform::CreateFolder(const std::string& path) {
  return Counted<bool>("CreateFolder", Op::kCreateFolder, path,
                       [&] { return inner_.CreateFolder(path); });
}

bool FaultyPlatform::Rename(const std::string& from, const std::string& to) {
  return Counted<bool>("Rename", Op::kRename, from, to, [&] { return inner_.Rename(from, to); });
}

bool FaultyPlatform::RemoveFile(const std::string& path) {
  return Counted<bool>("RemoveFile", Op::kRemoveFile, path,
                       [&] { return inner_.RemoveFile(path); });
}

std::optional<std::string> FaultyPlatform::CreateTemporaryFile(const std::string& dir,
                                                               const std::string& prefix,
                                                               unsigned unique) {
  return Counted<std::optional<std::string>>(
      "CreateTemporaryFile", Op::kCreateTemporaryFile, dir,
      [&] { return inner_.CreateTemporaryFile(dir, prefix, unique); });
}

bool FaultyPlatform::CopyReplacing(const std::string& from, const std::string& to) {
  return Counted<bool>("CopyReplacing", Op::kCopyReplacing, from, to,
                       [&] { return inner_.CopyReplacing(from, to); });
}

std::unique_ptr<BodyWriter> FaultyPlatform::CreateBodyWriter(const std::string& target) {
  return Wrapped<FaultyWriter>(
      Counted<std::unique_ptr<BodyWriter>>("CreateBodyWriter", Op::kCreateBody, target,
                                           [&] { return inner_.CreateBodyWriter(target); }),
      target);
}

std::unique_ptr<BodyWriter> FaultyPlatform::CreateNewBodyWriter(const std::string& target) {
  return Wrapped<FaultyWriter>(
      Counted<std::unique_ptr<BodyWriter>>("CreateNewBodyWriter", Op::kCreateBody, target,
                                           [&] { return inner_.CreateNewBodyWriter(target); }),
      target);
}

std::optional<std::string> FaultyPlatform::FullPath(const std::string& path, std::size_t limit) {
  return Counted<std::optional<std::string>>("FullPath", Op::kFullPath, path,
                                             [&] { return inner_.FullPath(path, limit); });
}

bool FaultyPlatform::ChangeCurrentFolder(const std::string& path) {
  return Counted<bool>("ChangeCurrentFolder", Op::kChangeCurrentFolder, path,
                       [&] { return inner_.ChangeCurrentFolder(path); });
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
  return Counted<std::optional<std::string>>("ProgramPath", std::nullopt, "",
                                             [&] { return inner_.ProgramPath(); });
}

}  // namespace murel

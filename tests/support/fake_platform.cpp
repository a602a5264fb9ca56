#include "support/fake_platform.h"

#include <algorithm>
#include <cctype>
#include <sstream>

#include "platform/profile_text.h"

namespace murel {
namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool HasDrive(const std::string& path) {
  return path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}

// The components of `path` between separators, empty ones dropped.
std::vector<std::string> Components(const std::string& path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path) {
    if (IsSeparator(c)) {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

std::string Parent(const std::string& normalized) {
  const auto cut = normalized.rfind('\\');
  return cut == std::string::npos ? std::string() : normalized.substr(0, cut);
}

// The device name a path's last component stands for ("CON", "nul.txt"), if any.
std::string DeviceBase(const std::string& component) {
  return Upper(component.substr(0, component.find('.')));
}

}  // namespace

// An open file reads the content it had when it was opened.
class FakePlatform::FakeFile : public ReadableFile {
 public:
  FakeFile(FakePlatform& platform, const Node& node)
      : platform_(platform),
        content_(node.content),
        facts_{FileKind::kRegular, node.content.size(), node.time} {
    const Guard guard(platform_.mutex_);
    platform_.mostOpenFiles = std::max(platform_.mostOpenFiles, ++platform_.openFiles);
  }
  ~FakeFile() override {
    const Guard guard(platform_.mutex_);
    --platform_.openFiles;
  }
  FakeFile(const FakeFile&) = delete;
  FakeFile& operator=(const FakeFile&) = delete;
  const FileFacts& Facts() const override { return facts_; }
  std::optional<std::size_t> ReadAt(std::uint64_t offset, unsigned char* buffer,
                                    std::size_t size) override {
    if (offset >= content_.size()) return 0;
    // Below content_.size() here, so the offset fits a size_t on 32-bit builds too.
    const auto at = static_cast<std::size_t>(offset);
    const std::size_t got = std::min(size, content_.size() - at);
    std::copy_n(content_.data() + at, got, buffer);
    return got;
  }

 private:
  FakePlatform& platform_;
  std::string content_;
  FileFacts facts_;
};

// The body grows under a temporary name beside the target, as on the real platforms.
class FakePlatform::FakeBodyWriter : public BodyWriter {
 public:
  FakeBodyWriter(FakePlatform& platform, std::string temporary, std::string target)
      : platform_(platform), temporary_(std::move(temporary)), target_(std::move(target)) {}
  ~FakeBodyWriter() override {
    const Guard guard(platform_.mutex_);
    if (!temporary_.empty()) platform_.nodes_.erase(Key(temporary_));
  }
  bool Append(const unsigned char* data, std::size_t size) override {
    const Guard guard(platform_.mutex_);
    Node* node = platform_.Find(temporary_);
    if (node == nullptr) return false;
    node->content.append(reinterpret_cast<const char*>(data), size);
    return true;
  }
  bool Commit(FileTime time) override {
    const Guard guard(platform_.mutex_);
    const Node* target = platform_.Find(target_);
    Node* node = platform_.Find(temporary_);
    if (node == nullptr || (target != nullptr && target->directory)) return false;
    Node body = *node;
    platform_.nodes_.erase(Key(temporary_));
    temporary_.clear();
    Node& slot = platform_.nodes_[Key(target_)];
    slot = Node{slot.path.empty() ? target_ : slot.path, false, body.content, time};
    return true;
  }

 private:
  FakePlatform& platform_;
  std::string temporary_;  // empty once committed
  std::string target_;
};

namespace {
class FakeWalk : public CacheWalk {
 public:
  std::size_t next = 1;
};

WalkStatus Deliver(const FakePlatform::FakeEntry& source, std::uint32_t& recordSize,
                   UrlCacheEntry& entry) {
  if (source.recordSize > recordSize) {
    recordSize = source.recordSize;
    return WalkStatus::kBufferTooSmall;
  }
  entry.url = source.url;
  entry.localFile = source.localFile;
  return WalkStatus::kEntry;
}
}  // namespace

FakePlatform::FakePlatform() {
  for (const char* drive : {"C:", "D:"})
    nodes_[drive] = Node{drive, true, {}, 0, FileKind::kRegular, ++folderIds_};
}

// --- Setting up and inspecting ------------------------------------------------------------------

void FakePlatform::AddDirectory(const std::string& path) {
  const Guard guard(mutex_);
  const std::string full = Normalize(path);
  std::string level;
  for (const std::string& part : Components(full)) {
    level += level.empty() ? part : "\\" + part;
    Node& node = nodes_[Key(level)];
    if (node.path.empty()) node = Node{level, true, {}, 0, FileKind::kRegular, ++folderIds_};
  }
}

void FakePlatform::AddFile(const std::string& path, const std::string& content, FileTime time) {
  const Guard guard(mutex_);
  const std::string full = Normalize(path);
  AddDirectory(Parent(full));
  nodes_[Key(full)] = Node{full, false, content, time};
}

void FakePlatform::AddSpecial(const std::string& path, FileKind kind) {
  const Guard guard(mutex_);
  const std::string full = Normalize(path);
  AddDirectory(Parent(full));
  // The content stands for what lies behind the link or pipe; it must never reach an export.
  Node node{full, false, kSpecialContent, 1000};
  node.kind = kind;
  nodes_[Key(full)] = node;
}

bool FakePlatform::IsDirectory(const std::string& path) const {
  const Guard guard(mutex_);
  const Node* node = Find(path);
  return node != nullptr && node->directory;
}

bool FakePlatform::IsFile(const std::string& path) const {
  const Guard guard(mutex_);
  const Node* node = Find(path);
  return node != nullptr && !node->directory;
}

std::optional<std::string> FakePlatform::Content(const std::string& path) const {
  const Guard guard(mutex_);
  const Node* node = Find(path);
  if (node == nullptr || node->directory) return std::nullopt;
  return node->content;
}

std::optional<FileTime> FakePlatform::TimeOf(const std::string& path) const {
  const Guard guard(mutex_);
  const Node* node = Find(path);
  if (node == nullptr || node->directory) return std::nullopt;
  return node->time;
}

std::vector<std::string> FakePlatform::Tree() const {
  const Guard guard(mutex_);
  std::vector<std::string> tree;
  for (const auto& [key, node] : nodes_) {
    if (node.path.size() > 2) tree.push_back(node.directory ? node.path + "\\" : node.path);
  }
  std::sort(tree.begin(), tree.end());
  return tree;
}

// --- Internals ----------------------------------------------------------------------------------

std::string FakePlatform::Normalize(const std::string& path) const {
  const Guard guard(mutex_);
  std::string base;
  std::string rest = path;
  if (HasDrive(path)) {
    base = Upper(path.substr(0, 1)) + ":";
    rest = path.substr(2);
    if (rest.empty() || !IsSeparator(rest[0])) {
      // "C:x" is relative to the current directory when that lies on drive C.
      if (Upper(currentDirectory.substr(0, 2)) == base) base = currentDirectory;
    }
  } else if (!path.empty() && IsSeparator(path[0])) {
    base = currentDirectory.substr(0, 2);
  } else {
    base = currentDirectory;
  }
  std::vector<std::string> parts = Components(base);
  if (parts.empty() || !HasDrive(parts[0])) return {};
  for (const std::string& part : Components(rest)) {
    if (part == ".") continue;
    if (part == "..") {
      if (parts.size() > 1) parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }
  std::string joined = parts[0];
  for (std::size_t i = 1; i < parts.size(); ++i) joined += "\\" + parts[i];
  return joined;
}

std::string FakePlatform::Key(const std::string& normalized) { return Upper(normalized); }

FakePlatform::Node* FakePlatform::Find(const std::string& path) {
  const Guard guard(mutex_);
  const std::string full = Normalize(path);
  if (full.empty()) return nullptr;
  const auto it = nodes_.find(Key(full));
  return it == nodes_.end() ? nullptr : &it->second;
}

const FakePlatform::Node* FakePlatform::Find(const std::string& path) const {
  const Guard guard(mutex_);
  return const_cast<FakePlatform*>(this)->Find(path);
}

bool FakePlatform::ParentIsDirectory(const std::string& normalized) const {
  const Guard guard(mutex_);
  const std::string parent = Parent(normalized);
  return !parent.empty() && IsDirectory(parent);
}

std::optional<std::string> FakePlatform::ProfileText(const std::string& file) {
  const Guard guard(mutex_);
  const Node* node = Find(file);
  if (node == nullptr || node->directory) return std::nullopt;
  return node->content;
}

// --- Cache walk ---------------------------------------------------------------------------------

WalkStatus FakePlatform::StartCacheWalk(const std::string& /*searchPattern*/,
                                        std::uint32_t& recordSize, UrlCacheEntry& entry,
                                        std::unique_ptr<CacheWalk>& walk) {
  const Guard guard(mutex_);
  if (cache.empty()) return WalkStatus::kFailed;
  const WalkStatus status = Deliver(cache.front(), recordSize, entry);
  if (status == WalkStatus::kEntry) walk = std::make_unique<FakeWalk>();
  return status;
}

WalkStatus FakePlatform::ContinueCacheWalk(CacheWalk& walk, std::uint32_t& recordSize,
                                           UrlCacheEntry& entry) {
  const Guard guard(mutex_);
  auto& fake = static_cast<FakeWalk&>(walk);
  if (fake.next >= cache.size()) return WalkStatus::kFailed;
  const WalkStatus status = Deliver(cache[fake.next], recordSize, entry);
  if (status == WalkStatus::kEntry) ++fake.next;
  return status;
}

// --- Reading cache files -----------------------------------------------------------------------

FileFacts FakePlatform::FactsOf(const Node& node) {
  if (node.directory) return FileFacts{FileKind::kDirectory, 0, node.time};
  return FileFacts{node.kind, node.content.size(), node.time};
}

std::optional<FileFacts> FakePlatform::QueryFile(const std::string& path) {
  const Guard guard(mutex_);
  const Node* node = Find(path);
  if (node == nullptr) return std::nullopt;
  return FactsOf(*node);
}

std::unique_ptr<ReadableFile> FakePlatform::OpenFileForReading(const std::string& path) {
  const Guard guard(mutex_);
  const Node* node = Find(path);
  if (node == nullptr || node->directory || node->kind != FileKind::kRegular) return nullptr;
  return std::make_unique<FakeFile>(*this, *node);
}

std::optional<std::vector<FolderItem>> FakePlatform::ListFolder(const std::string& path,
                                                                bool /*withFacts*/) {
  const Guard guard(mutex_);
  const std::string full = Normalize(path);
  if (!IsDirectory(full)) return std::nullopt;
  std::vector<FolderItem> items;
  const std::string prefix = Key(full) + "\\";
  for (const auto& [key, node] : nodes_) {
    if (key.compare(0, prefix.size(), prefix) == 0 &&
        key.find('\\', prefix.size()) == std::string::npos) {
      items.push_back({node.path.substr(full.size() + 1), FactsOf(node)});
    }
  }
  return items;
}

// A folder known by its id rather than its path, as a real folder held open is: moved, it is
// still the folder read; removed, nothing is found in it.
class FakePlatform::FakeFolder : public OpenedFolder {
 public:
  FakeFolder(FakePlatform& platform, std::uint64_t id) : platform_(platform), id_(id) {}
  std::optional<FileFacts> QueryName(const std::string& name) override {
    const Guard guard(platform_.mutex_);
    const std::optional<std::string> path = PathOf(name);
    return path ? platform_.QueryFile(*path) : std::nullopt;
  }
  std::unique_ptr<ReadableFile> OpenName(const std::string& name) override {
    const Guard guard(platform_.mutex_);
    const std::optional<std::string> path = PathOf(name);
    return path ? platform_.OpenFileForReading(*path) : nullptr;
  }
  std::unique_ptr<OpenedFolder> OpenSubfolder(const std::string& name) override {
    const Guard guard(platform_.mutex_);
    const std::optional<std::string> path = PathOf(name);
    const Node* node = path ? platform_.Find(*path) : nullptr;
    if (node == nullptr || !node->directory) return nullptr;
    return std::make_unique<FakeFolder>(platform_, node->folderId);
  }

 private:
  // The path of `name` in the folder where it is now; empty for a name that is no one step down,
  // or when the folder is gone.
  std::optional<std::string> PathOf(const std::string& name) const {
    if (name.empty() || name == "." || name == ".." ||
        name.find_first_of("\\/") != std::string::npos)
      return std::nullopt;
    for (const auto& [key, node] : platform_.nodes_) {
      if (node.directory && node.folderId == id_) return node.path + "\\" + name;
    }
    return std::nullopt;
  }

  FakePlatform& platform_;
  std::uint64_t id_;
};

std::unique_ptr<OpenedFolder> FakePlatform::OpenFolder(const std::string& path) {
  const Guard guard(mutex_);
  if (!IsDirectory(Normalize(path))) return nullptr;
  return std::make_unique<FakeFolder>(*this, Find(path)->folderId);
}

std::unique_ptr<BodyWriter> FakePlatform::CreateBodyWriter(const std::string& target) {
  const Guard guard(mutex_);
  return StartBody(target, false);
}

std::unique_ptr<BodyWriter> FakePlatform::CreateNewBodyWriter(const std::string& target) {
  const Guard guard(mutex_);
  return StartBody(target, true);
}

std::unique_ptr<BodyWriter> FakePlatform::StartBody(const std::string& target, bool onlyNew) {
  const Guard guard(mutex_);
  const std::string full = Normalize(target);
  if (full.empty() || !ParentIsDirectory(full) || (onlyNew && Find(full) != nullptr))
    return nullptr;
  std::string name;
  do {
    std::ostringstream hex;
    hex << std::uppercase << std::hex << ++tempCounter_;
    name = Parent(full) + "\\mur" + hex.str() + ".TMP";
  } while (Find(name) != nullptr);
  nodes_[Key(name)] = Node{name, false, {}, 0};
  return std::make_unique<FakeBodyWriter>(*this, name, full);
}

// --- File system --------------------------------------------------------------------------------

bool FakePlatform::CreateFolder(const std::string& path) {
  const Guard guard(mutex_);
  const std::string full = Normalize(path);
  if (full.empty() || Find(full) != nullptr || !ParentIsDirectory(full)) return false;
  nodes_[Key(full)] = Node{full, true, {}, 0, FileKind::kRegular, ++folderIds_};
  return true;
}

std::optional<std::uint32_t> FakePlatform::QueryAttributes(const std::string& path) {
  const Guard guard(mutex_);
  const Node* node = Find(path);
  if (node == nullptr) return std::nullopt;
  if (node->kind == FileKind::kLink) return kFileAttributeReparsePoint;  // leads nowhere
  return node->directory ? kFileAttributeDirectory : 0x20u;              // FILE_ATTRIBUTE_ARCHIVE
}

std::optional<std::string> FakePlatform::CreateTemporaryFile(const std::string& dir,
                                                             const std::string& prefix,
                                                             unsigned /*unique*/) {
  const Guard guard(mutex_);
  if (!IsDirectory(dir)) return std::nullopt;
  std::string name;
  do {
    std::ostringstream hex;
    hex << std::uppercase << std::hex << ++tempCounter_;
    name = Normalize(dir) + "\\" + prefix + hex.str() + ".TMP";
  } while (Find(name) != nullptr);
  nodes_[Key(name)] = Node{name, false, {}, 0};
  return name;
}

bool FakePlatform::RemoveFile(const std::string& path) {
  const Guard guard(mutex_);
  const Node* node = Find(path);
  if (node == nullptr || node->directory) return false;
  nodes_.erase(Key(Normalize(path)));
  return true;
}

bool FakePlatform::Rename(const std::string& from, const std::string& to) {
  const Guard guard(mutex_);
  const std::string source = Normalize(from);
  const std::string target = Normalize(to);
  if (Find(source) == nullptr || target.empty() || Find(target) != nullptr ||
      !ParentIsDirectory(target))
    return false;
  // A directory cannot move into itself.
  const std::string sourceKey = Key(source);
  const std::string targetKey = Key(target);
  if (targetKey.compare(0, sourceKey.size() + 1, sourceKey + "\\") == 0) return false;
  std::map<std::string, Node> moved;
  for (auto it = nodes_.begin(); it != nodes_.end();) {
    if (it->first == sourceKey ||
        it->first.compare(0, sourceKey.size() + 1, sourceKey + "\\") == 0) {
      Node node = it->second;
      node.path = target + node.path.substr(source.size());
      moved[Key(node.path)] = node;
      it = nodes_.erase(it);
    } else {
      ++it;
    }
  }
  nodes_.insert(moved.begin(), moved.end());
  return true;
}

LastWriteTime FakePlatform::ReadLastWriteTime(const std::string& path) {
  const Guard guard(mutex_);
  LastWriteTime result;
  const Node* node = Find(path);
  // Like CreateFileA without backup semantics, a directory does not open.
  if (node == nullptr || node->directory) return result;
  result.opened = true;
  result.time = node->time;
  return result;
}

bool FakePlatform::CopyReplacing(const std::string& from, const std::string& to) {
  const Guard guard(mutex_);
  const Node* source = Find(from);
  const Node* target = Find(to);
  const std::string full = Normalize(to);
  if (source == nullptr || source->directory || source->kind != FileKind::kRegular ||
      (target != nullptr && target->directory) || full.empty() || !ParentIsDirectory(full))
    return false;
  const Node copy{full, false, source->content, source->time};
  Node& slot = nodes_[Key(full)];
  // A replaced file keeps the spelling of its name, as on Windows.
  slot = Node{slot.path.empty() ? full : slot.path, false, copy.content, copy.time};
  return true;
}

std::optional<std::string> FakePlatform::FullPath(const std::string& path, std::size_t limit) {
  const Guard guard(mutex_);
  const std::vector<std::string> parts = Components(path);
  if (!parts.empty() && deviceNames.count(DeviceBase(parts.back())) != 0)
    return "\\\\.\\" + DeviceBase(parts.back());
  std::string full = Normalize(path);
  if (full.empty()) return std::nullopt;
  if (full.size() == 2 || (!path.empty() && IsSeparator(path.back()))) full += "\\";
  if (full.size() + 1 > limit) return std::nullopt;
  return full;
}

std::optional<std::string> FakePlatform::ProgramPath() {
  const Guard guard(mutex_);
  return moduleFileName;
}

bool FakePlatform::ChangeCurrentFolder(const std::string& path) {
  const Guard guard(mutex_);
  if (!IsDirectory(path)) return false;
  currentDirectory = Normalize(path);
  return true;
}

// --- Profile files, messages, listing -----------------------------------------------------------

std::vector<std::string> FakePlatform::ReadProfileSection(const std::string& section,
                                                          const std::string& file,
                                                          std::size_t capacity) {
  const Guard guard(mutex_);
  const std::optional<std::string> text = ProfileText(file);
  return text ? ProfileSection(*text, section, capacity) : std::vector<std::string>{};
}

std::vector<std::string> FakePlatform::ReadProfileStrings(const std::string& section,
                                                          const std::vector<std::string>& keys,
                                                          const std::string& file) {
  const Guard guard(mutex_);
  const std::optional<std::string> text = ProfileText(file);
  return text ? ProfileStrings(*text, section, keys) : std::vector<std::string>(keys.size());
}

void FakePlatform::ShowMessage(const ShownText& text, const ShownText& caption, BoxIcon icon) {
  const Guard guard(mutex_);
  boxes.push_back(Box{text.Bytes(), caption.Bytes(), icon});
}

namespace {

// Records what a status line shows.
class RecordedStatusLine : public StatusLine {
 public:
  explicit RecordedStatusLine(std::vector<std::string>& lines) : lines_(lines) {}
  void Redraw(const ShownText& text) override { lines_.push_back(text.Bytes()); }
  void Finish(const ShownText& text) override { lines_.push_back("finish: " + text.Bytes()); }

 private:
  std::vector<std::string>& lines_;
};

}  // namespace

std::unique_ptr<StatusLine> FakePlatform::OpenStatusLine() {
  const Guard guard(mutex_);
  if (!terminal) return nullptr;
  return std::make_unique<RecordedStatusLine>(statusLines);
}

}  // namespace murel

#include "cache/core/entry_memo.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "base/ascii.h"
#include "base/name_hash.h"

namespace murel {
namespace {

// The first line's first field: what the file is, and the version of its lines.
constexpr std::string_view kHeader = "murel entry memo 1";
constexpr const char* kFileExtension = ".memo";
// A memo line is a name, numbers and a URL; a longer line is not a memo's.
constexpr std::size_t kLineLimit = std::size_t{64} << 10;
// Room on a line for all but the URL.
constexpr std::size_t kLineRoom = 1024;
constexpr std::size_t kReadSize = std::size_t{64} << 10;
// The coarsest step of a file system's clock (FAT's two seconds): a file whose time lies within
// it of the earlier run's start could have been written again after that run read it, unseen.
constexpr FileTime kSettled = 2 * 10000000ull;

// The text up to the first tab, which is taken off `text` with the tab; all of it when there is
// no tab.
std::string_view Field(std::string_view& text) {
  const std::size_t tab = text.find('\t');
  const std::string_view field = text.substr(0, tab);
  text.remove_prefix(tab == std::string_view::npos ? text.size() : tab + 1);
  return field;
}

// The most decimal digits that always fit in 64 bits.
constexpr std::size_t kSafeDigits = 19;

// A decimal number that is the whole of `text`, without sign, within 64 bits. Five are read for
// each file of a re-run: digit by digit, this costs a fifth of the library's std::from_chars, and
// only the digits past the first kSafeDigits are checked for overflow.
std::optional<std::uint64_t> Number(std::string_view text) {
  if (text.empty()) return std::nullopt;
  const std::size_t safe = std::min(text.size(), kSafeDigits);
  std::uint64_t value = 0;
  bool digits = true;
  for (std::size_t i = 0; i < safe; ++i) {
    const auto digit = static_cast<unsigned>(static_cast<unsigned char>(text[i]) - '0');
    digits = digits && digit <= 9;
    value = value * 10 + digit;
  }
  for (std::size_t i = safe; i < text.size(); ++i) {
    const auto digit = static_cast<unsigned>(static_cast<unsigned char>(text[i]) - '0');
    if (digit > 9 || __builtin_mul_overflow(value, 10u, &value) ||
        __builtin_add_overflow(value, digit, &value)) {
      return std::nullopt;
    }
  }
  return digits ? std::optional<std::uint64_t>(value) : std::nullopt;
}

// Whether an entry's URL and content codings can be written on one memo line and read back as
// they were.
bool CanRemember(std::string_view url, const std::vector<std::string>& codings) {
  if (url.empty() || url.size() > kLineLimit - kLineRoom || HoldsAnyOf(url, "\r\n")) {
    return false;
  }
  for (const std::string& coding : codings) {
    if (coding.empty() || HoldsAnyOf(coding, ",\t\r\n")) return false;
  }
  return true;
}

std::vector<std::string> SplitCodings(std::string_view text) {
  std::vector<std::string> codings;
  while (!text.empty()) {
    const std::size_t comma = text.find(',');
    codings.emplace_back(text.substr(0, comma));
    text.remove_prefix(comma == std::string_view::npos ? text.size() : comma + 1);
  }
  return codings;
}

}  // namespace

// The earlier memo, line by line, read in blocks.
class EntryMemo::Lines {
 public:
  explicit Lines(std::unique_ptr<ReadableFile> file) : file_(std::move(file)) {}

  // The next line without its "\n", valid until the next call. Empty at the end, on a read
  // failure, or when a line passes the limit or has no "\n" (a memo cut short).
  std::optional<std::string_view> Next() {
    for (;;) {
      const std::size_t end = buffer_.find('\n', start_);
      if (end != std::string::npos) {
        const std::string_view line(buffer_.data() + start_, end - start_);
        start_ = end + 1;
        return line;
      }
      if (buffer_.size() - start_ > kLineLimit) return std::nullopt;
      buffer_.erase(0, start_);
      start_ = 0;
      const std::size_t kept = buffer_.size();
      buffer_.resize(kept + kReadSize);
      const std::optional<std::size_t> got =
          file_->ReadAt(offset_, reinterpret_cast<unsigned char*>(&buffer_[kept]), kReadSize);
      if (!got || *got == 0) return std::nullopt;
      buffer_.resize(kept + *got);
      offset_ += *got;
    }
  }

  // Where in the file the bytes after the line given last begin.
  std::uint64_t Offset() const { return offset_ - (buffer_.size() - start_); }
  ReadableFile& File() { return *file_; }

 private:
  std::unique_ptr<ReadableFile> file_;
  std::uint64_t offset_ = 0;
  std::string buffer_;
  std::size_t start_ = 0;
};

EntryMemo::EntryMemo(Platform& platform, std::string folder, std::string exportRoot)
    : platform_(platform), folder_(std::move(folder)), exportRoot_(std::move(exportRoot)) {}

EntryMemo::~EntryMemo() = default;

void EntryMemo::Begin(const std::string& folder) {
  began_ = platform_.CurrentTime();
  earlier_.reset();
  earlierEnded_ = false;
  line_ = {};
  writer_.reset();
  pending_.clear();
  keeping_ = false;
  header_ = std::string(kHeader) + '\t' + std::to_string(began_) + '\t' + folder + '\n';
  path_.clear();
  if (folder_.empty()) return;
  // A line end cannot be part of a path; it keeps "a" + "b\c" apart from "a\b" + "c".
  NameHash name;
  name.Add(exportRoot_);
  name.Add("\n");
  name.Add(folder);
  path_ = folder_ + name.Hex() + kFileExtension;
  if (std::unique_ptr<ReadableFile> file = platform_.OpenFileForReading(path_)) {
    auto lines = std::make_unique<Lines>(std::move(file));
    std::optional<std::string_view> header = lines->Next();
    if (header && Field(*header) == kHeader) {
      const std::optional<std::uint64_t> began = Number(Field(*header));
      if (began && *header == folder) {
        earlierBegan_ = *began;
        earlier_ = std::move(lines);
        keeping_ = true;
        keptStart_ = keptEnd_ = earlier_->Offset();
      }
    }
  }
  if (!keeping_) StartWriting();
}

bool EntryMemo::SeekEarlier(const std::string& name) {
  while (HasEarlier()) {
    std::string_view rest = line_;
    if (!line_.empty() && Field(rest) >= name) return true;
    const std::optional<std::string_view> line = earlier_->Next();
    if (!line || line->empty()) {
      earlierEnded_ = true;
      return false;
    }
    line_ = *line;
  }
  return false;
}

EntryMemo::Recall EntryMemo::Find(const std::string& name, const FileFacts& facts,
                                  CacheEntry& entry) {
  if (!SeekEarlier(name)) return Recall::kUnknown;
  std::string_view rest = line_;
  if (Field(rest) != name) return Recall::kUnknown;
  const std::optional<std::uint64_t> size = Number(Field(rest));
  const std::optional<std::uint64_t> time = Number(Field(rest));
  if (facts.kind != FileKind::kRegular || size != facts.size || time != facts.time ||
      facts.time >= earlierBegan_ || earlierBegan_ - facts.time < kSettled) {
    return Recall::kUnknown;
  }
  if (rest == "-") {
    Carry();
    return Recall::kPassedOver;
  }
  const std::optional<std::uint64_t> offset = Number(Field(rest));
  const std::optional<std::uint64_t> bodySize = Number(Field(rest));
  const std::optional<std::uint64_t> stored = Number(Field(rest));
  const std::string_view codings = Field(rest);
  std::vector<std::string> encodings = SplitCodings(codings);
  // A line that Remember would not have written is no memo's.
  if (!offset || !bodySize || !stored || !CanRemember(rest, encodings)) return Recall::kUnknown;
  StoredBody body;
  body.offset = *offset;
  body.size = *bodySize;
  body.encodings = std::move(encodings);
  body.stored = *stored;
  entry.url.assign(rest.data(), rest.size());
  entry.localFile.clear();
  entry.storedBody = std::move(body);
  // The memo keeps no head: a run that archives heads reads the files without it.
  entry.head.clear();
  entry.refused = false;
  Carry();
  return Recall::kEntry;
}

void EntryMemo::Remember(const std::string& name, const FileFacts& facts, const CacheEntry* entry) {
  StopKeeping();
  const StoredBody* body = entry != nullptr && entry->storedBody ? &*entry->storedBody : nullptr;
  if (!writer_ || (body != nullptr && !CanRemember(entry->url, body->encodings))) return;
  pending_ += name;
  AppendField(facts.size);
  AppendField(facts.time);
  if (body == nullptr) {
    pending_ += "\t-\n";
  } else {
    AppendField(body->offset);
    AppendField(body->size);
    AppendField(body->stored);
    for (std::size_t i = 0; i < body->encodings.size(); ++i) {
      pending_ += i == 0 ? '\t' : ',';
      pending_ += body->encodings[i];
    }
    if (body->encodings.empty()) pending_ += '\t';
    pending_ += '\t';
    pending_ += entry->url;
    pending_ += '\n';
  }
  if (pending_.size() >= kReadSize) Flush();
}

void EntryMemo::AppendField(std::uint64_t value) {
  char digits[24];
  digits[0] = '\t';
  pending_.append(digits, std::to_chars(digits + 1, digits + sizeof digits, value).ptr);
}

void EntryMemo::Append(std::string_view line) {
  if (!writer_) return;
  pending_ += line;
  pending_ += '\n';
  if (pending_.size() >= kReadSize) Flush();
}

void EntryMemo::Flush() {
  if (writer_ &&
      !writer_->Append(reinterpret_cast<const unsigned char*>(pending_.data()), pending_.size())) {
    writer_.reset();
  }
  pending_.clear();
}

void EntryMemo::Carry() {
  // The line begins where the lines kept so far end: the new memo is still the earlier one.
  if (keeping_ && earlier_->Offset() - line_.size() - 1 == keptEnd_) {
    keptEnd_ = earlier_->Offset();
    return;
  }
  StopKeeping();
  Append(line_);
}

void EntryMemo::StartWriting() {
  if (path_.empty()) return;
  writer_ = platform_.CreateBodyWriter(path_);
  pending_ = header_;
}

void EntryMemo::StopKeeping() {
  if (!keeping_) return;
  keeping_ = false;
  StartWriting();
  // The lines kept so far, as the earlier memo holds them.
  for (std::uint64_t at = keptStart_; at < keptEnd_ && writer_;) {
    const auto size = static_cast<std::size_t>(std::min<std::uint64_t>(keptEnd_ - at, kReadSize));
    const std::size_t kept = pending_.size();
    pending_.resize(kept + size);
    const std::optional<std::size_t> got =
        earlier_->File().ReadAt(at, reinterpret_cast<unsigned char*>(&pending_[kept]), size);
    if (!got || *got != size) {
      writer_.reset();
      return;
    }
    at += size;
    if (pending_.size() >= kReadSize) Flush();
  }
}

void EntryMemo::Save() {
  // Every line of the earlier memo went on as it was, and nothing else: it stays as it is.
  if (keeping_ && keptEnd_ == earlier_->File().Facts().size) {
    earlier_.reset();
    return;
  }
  StopKeeping();
  // The earlier memo is closed first: a file open for reading cannot be replaced on Windows.
  earlier_.reset();
  Flush();
  if (writer_) writer_->Commit(began_);
  writer_.reset();
}

}  // namespace murel

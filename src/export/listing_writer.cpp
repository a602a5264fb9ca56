#include "export/listing_writer.h"

namespace murel {
namespace {

// The bytes gathered before they go to the writer and are compared.
constexpr std::size_t kBlockSize = std::size_t{64} << 10;

}  // namespace

std::unique_ptr<ListingWriter> ListingWriter::Open(Platform& platform, const std::string& path) {
  std::unique_ptr<BodyWriter> writer = platform.CreateBodyWriter(path);
  if (!writer) return nullptr;
  // A listing that cannot be opened (none, a link) is no earlier listing: the new one goes in.
  return std::unique_ptr<ListingWriter>(
      new ListingWriter(platform, std::move(writer), platform.OpenFileForReading(path)));
}

ListingWriter::ListingWriter(Platform& platform, std::unique_ptr<BodyWriter> writer,
                             std::unique_ptr<ReadableFile> earlier)
    : platform_(platform), writer_(std::move(writer)), earlier_(std::move(earlier)) {}

ListingWriter::~ListingWriter() = default;

bool ListingWriter::WriteLine(std::initializer_list<std::string_view> fields) {
  bool broken = false;
  std::string_view separator;
  for (const std::string_view field : fields) {
    pending_ += separator;
    separator = "\t";
    // Fields with no line end, nearly all, go in whole.
    if (field.find('\n') == std::string_view::npos) {
      pending_ += field;
    } else {
      broken = true;
      AppendWithCrLf(field);
    }
  }
  pending_ += "\r\n";
  if (pending_.size() >= kBlockSize) Flush();
  return broken;
}

void ListingWriter::AppendWithCrLf(std::string_view text) {
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    pending_ += text.substr(start, end - start);
    if (end < text.size()) pending_ += "\r\n";
    start = end + 1;
  }
}

bool ListingWriter::EarlierHolds(std::uint64_t offset, std::string_view bytes) {
  if (offset + bytes.size() > earlier_->Facts().size) return false;
  compared_.resize(bytes.size());
  const std::optional<std::size_t> got =
      earlier_->ReadAt(offset, reinterpret_cast<unsigned char*>(compared_.data()), bytes.size());
  return got == bytes.size() && compared_ == bytes;
}

ListingHash ListingWriter::Hash() const {
  ListingHash hash = hash_;
  hash.Add(pending_);
  return hash;
}

void ListingWriter::Flush() {
  hash_.Add(pending_);
  if (earlier_ && !EarlierHolds(flushed_, pending_)) earlier_.reset();
  if (writer_ &&
      !writer_->Append(reinterpret_cast<const unsigned char*>(pending_.data()), pending_.size())) {
    writer_.reset();
    failed_ = true;
  }
  flushed_ += pending_.size();
  pending_.clear();
}

bool ListingWriter::Close() {
  Flush();
  if (failed_ || !writer_) return false;
  const bool same = earlier_ && earlier_->Facts().size == Size();
  // The earlier listing is closed first: a file open for reading cannot be replaced on Windows.
  earlier_.reset();
  // Dropping the writer uncommitted removes what it wrote; the earlier listing stays.
  const bool written = same || writer_->Commit(platform_.CurrentTime());
  writer_.reset();
  return written;
}

}  // namespace murel

#include "cache/firefox/firefox_entry.h"

#include <algorithm>
#include <memory>

#include "cache/core/file_range.h"
#include "cache/core/http_date.h"
#include "cache/core/http_head.h"
#include "cache/firefox/firefox_key.h"
#include "cache/firefox/firefox_metadata.h"
#include "cache/firefox/jenkins_hash.h"

namespace murel {
namespace {

// The last bytes of a file read at once. It holds the largest metadata taken (64 KiB of
// elements, the key and the chunk hashes), and with it the whole of a small entry, whose body
// is then checked without a second read.
constexpr std::size_t kTailWindow = std::size_t{512} << 10;

// The decimal number at the start of `text`, taken off it; empty when there is none or it
// passes 2^53.
std::optional<std::uint64_t> TakeNumber(std::string_view& text) {
  std::uint64_t value = 0;
  std::size_t digits = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
    value = value * 10 + static_cast<std::uint64_t>(text[digits] - '0');
    if (++digits > 15) return std::nullopt;
  }
  if (digits == 0) return std::nullopt;
  text.remove_prefix(digits);
  return value;
}

// The length of the body within the data: all of it, or what comes before the alternative data
// that the element "alt-data" ("<version>;<offset>,<type>") places after it.
std::optional<std::uint64_t> BodySize(const FirefoxMetadata& meta) {
  std::optional<std::string_view> alt = meta.Element("alt-data");
  if (!alt) return meta.dataSize;
  if (!TakeNumber(*alt) || alt->empty() || alt->front() != ';') return std::nullopt;
  alt->remove_prefix(1);
  const std::optional<std::uint64_t> offset = TakeNumber(*alt);
  if (!offset || *offset > meta.dataSize || alt->empty() || alt->front() != ',') {
    return std::nullopt;
  }
  return offset;
}

// The stored body of an entry that an export takes, as far as its metadata tells (the chunk
// hashes are checked apart), its entry file last written at `fileTime`; empty for any other entry.
std::optional<StoredBody> ExportableBody(const FirefoxMetadata& meta, FileTime fileTime) {
  const std::optional<std::string_view> method = meta.Element("request-method");
  if (method && *method != "GET") return std::nullopt;
  const std::optional<std::string_view> headText = meta.Element("response-head");
  if (!headText) return std::nullopt;
  const std::optional<HttpHead> head = ParseHttpHead(*headText);
  if (!head || !IsExportableStatus(head->status)) return std::nullopt;
  const std::optional<std::uint64_t> size = BodySize(meta);
  if (!size) return std::nullopt;
  if (head->contentLength) {
    // Firefox marks a body that did not reach its declared length ("0"): a cut download, kept to
    // be resumed. Without a declared length the mark only says that the body ended with the
    // connection (HTTP/1.0, "Connection: close"), and Firefox serves such a body whole.
    const std::optional<std::string_view> framed = meta.Element("strongly-framed");
    if (framed && *framed == "0") return std::nullopt;
    // The length of an encoded body is what was sent; only an unencoded one is checked against it.
    if (head->contentEncodings.empty() && *size < *head->contentLength) return std::nullopt;
  }
  StoredBody body;
  body.size = *size;
  body.encodings = head->contentEncodings;
  // The entry's own time, which moves whenever Firefox stores the entry again, whatever Date the
  // server sent (the same second, or a clock behind). The metadata keeps whole seconds; the entry
  // file's last write, made with it, tells two writes within one second apart.
  body.stored = std::max<FileTime>(FileTimeOfUnixSeconds(meta.lastModified), fileTime);
  return body;
}

}  // namespace

bool FirefoxEntryReader::ChunksMatch(ReadableFile& file, const FirefoxMetadata& meta,
                                     std::uint64_t bodySize, const unsigned char* tail,
                                     std::uint64_t tailStart) {
  const std::uint64_t chunks = (bodySize + kFirefoxChunkSize - 1) / kFirefoxChunkSize;
  for (std::uint64_t i = 0; i < chunks; ++i) {
    const std::uint64_t start = i * kFirefoxChunkSize;
    const std::size_t size =
        static_cast<std::size_t>(std::min(meta.dataSize, start + kFirefoxChunkSize) - start);
    const unsigned char* bytes = nullptr;
    if (start >= tailStart) {
      bytes = tail + (start - tailStart);
    } else {
      if (!ReadRange(file, start, size, chunk_)) return false;
      bytes = chunk_.data();
    }
    if ((JenkinsHash(bytes, size) & 0xFFFF) != meta.ChunkHash(i)) return false;
  }
  return true;
}

bool FirefoxEntryReader::Read(ReadableFile& file, const std::string& path, CacheEntry& entry) {
  const std::uint64_t fileSize = file.Facts().size;
  const std::size_t tailSize =
      static_cast<std::size_t>(std::min<std::uint64_t>(fileSize, kTailWindow));
  const std::uint64_t tailStart = fileSize - tailSize;
  // A file held in memory is its own tail; any other is read into `tail_`.
  const unsigned char* tail = file.HeldBytes() != nullptr ? file.HeldBytes() + tailStart : nullptr;
  if (tail == nullptr) {
    if (!ReadRange(file, tailStart, tailSize, tail_)) return false;
    tail = tail_.data();
  }
  const std::optional<FirefoxMetadata> meta = ParseFirefoxMetadata(tail, tailSize, fileSize);
  if (!meta) return false;
  const std::optional<std::string_view> url = UrlOfFirefoxKey(meta->key);
  std::optional<StoredBody> body = ExportableBody(*meta, file.Facts().time);
  if (!url || !body || !ChunksMatch(file, *meta, body->size, tail, tailStart)) return false;
  body->file = path;
  entry.url.assign(url->data(), url->size());
  entry.localFile.clear();
  entry.storedBody = std::move(body);
  // ExportableBody took the entry only with its head.
  const std::string_view head = *meta->Element("response-head");
  entry.head.assign(head.data(), head.size());
  entry.refused = false;
  return true;
}

}  // namespace murel

#include "export/warc_writer.h"

#include <zlib.h>

#include <utility>

#include "cache/core/file_range.h"
#include "export/sha1_digest.h"
#include "export/warc_record.h"

namespace murel {
namespace {

// Output is handed to the file in pieces of about this size.
constexpr std::size_t kFlushSize = std::size_t{64} << 10;

constexpr char kLineEnd[] = "\r\n";

}  // namespace

// The content of one entry: a range of an open file.
struct WarcWriter::Source {
  std::shared_ptr<ReadableFile> file;
  std::uint64_t offset = 0;
  std::uint64_t size = 0;
  FileTime time = 0;
};

// What a record says before its block, and the part of the block before the payload.
struct WarcWriter::Record {
  const char* type;
  std::string contentType;
  std::string targetUri;
  std::string blockHead;  ///< The HTTP head of a response; empty for a resource.
  FileTime date = 0;      ///< When the cache stored the content.
};

struct WarcWriter::Deflater {
  z_stream stream{};
  bool open = false;
};

WarcWriter::WarcWriter(std::unique_ptr<BodyWriter> file, bool gzip, std::string runName)
    : file_(std::move(file)),
      gzip_(gzip),
      runName_(std::move(runName)),
      deflater_(std::make_unique<Deflater>()) {}

WarcWriter::~WarcWriter() {
  if (deflater_->open) deflateEnd(&deflater_->stream);
}

void WarcWriter::WriteInfo(const std::string& fileName, const std::string& fields, FileTime time) {
  infoId_ = WarcRecordId(runName_ + "\nwarcinfo");
  Sha1Digest digest;
  digest.Add(fields.data(), fields.size());
  const std::string header =
      std::string("WARC/1.1\r\nWARC-Type: warcinfo\r\n") + "WARC-Record-ID: " + infoId_ + kLineEnd +
      "WARC-Date: " + WarcDate(time) + kLineEnd + "WARC-Filename: " + fileName + kLineEnd +
      "Content-Type: application/warc-fields\r\n" +
      "WARC-Block-Digest: " + WarcDigestLabel(digest.Finish()) + kLineEnd +
      "Content-Length: " + std::to_string(fields.size()) + "\r\n\r\n";
  BeginMember();
  Put(header.data(), header.size());
  Put(fields.data(), fields.size());
  Put("\r\n\r\n", 4);
  EndMember();
}

ArchiveOutcome WarcWriter::Add(Platform& platform, const CacheEntry& entry) {
  Source source;
  if (entry.storedBody) {
    const StoredBody& body = *entry.storedBody;
    source.file = body.open ? body.open() : platform.OpenFileForReading(body.file);
    if (!source.file) return ArchiveOutcome::kFailed;
    source.offset = body.offset;
    source.size = body.size;
    source.time = body.stored;
  } else if (!entry.localFile.empty()) {
    source.file = platform.OpenFileForReading(entry.localFile);
    // As in the copy: a missing local file is no content, one that cannot be opened a failure.
    if (!source.file) {
      return platform.QueryFile(entry.localFile) ? ArchiveOutcome::kFailed
                                                 : ArchiveOutcome::kNoContent;
    }
    source.size = source.file->Facts().size;
    source.time = source.file->Facts().time;
  } else {
    return ArchiveOutcome::kNoContent;
  }
  if (HoldsControlByte(entry.url) || entry.url.find(' ') != std::string::npos) {
    return ArchiveOutcome::kFailed;
  }
  Record record{"resource", MediaTypeOfName(ContentPath(entry)), entry.url, "", source.time};
  // A head that is no HTTP response (WinINet keeps other schemes' texts too) is no head.
  if (entry.head.compare(0, 5, "HTTP/") == 0) {
    std::optional<std::string> head = ArchivedHttpHead(entry.head, source.size);
    if (!head) return ArchiveOutcome::kFailed;
    record.type = "response";
    record.contentType = "application/http;msgtype=response";
    record.blockHead = std::move(*head);
  }
  return WriteRecord(record, source);
}

ArchiveOutcome WarcWriter::WriteRecord(const Record& record, Source& source) {
  ReadableFile& file = *source.file;
  Sha1Digest block;
  Sha1Digest payload;
  block.Add(record.blockHead.data(), record.blockHead.size());
  if (!ReadInPieces(file, source.offset, source.size,
                    [&](const unsigned char* data, std::size_t size) {
                      block.Add(data, size);
                      payload.Add(data, size);
                      return true;
                    })) {
    return ArchiveOutcome::kFailed;
  }
  const Sha1Digest::Value payloadValue = payload.Finish();
  std::string header =
      RecordHeader(record, WarcDigestLabel(block.Finish()), WarcDigestLabel(payloadValue),
                   record.blockHead.size() + source.size);
  BeginMember();
  Put(header.data(), header.size());
  Put(record.blockHead.data(), record.blockHead.size());
  // The second reading must give the bytes the digests were taken of: a cache file that
  // changed in between leaves a record that cannot be taken back, so the archive is lost.
  Sha1Digest again;
  if (!ReadInPieces(file, source.offset, source.size,
                    [&](const unsigned char* data, std::size_t size) {
                      again.Add(data, size);
                      Put(data, size);
                      return true;
                    }) ||
      again.Finish() != payloadValue) {
    broken_ = true;
    return ArchiveOutcome::kFailed;
  }
  Put("\r\n\r\n", 4);
  EndMember();
  return ArchiveOutcome::kWritten;
}

std::string WarcWriter::RecordHeader(const Record& record, const std::string& blockDigest,
                                     const std::string& payloadDigest, std::uint64_t blockSize) {
  const std::string id =
      WarcRecordId(runName_ + "\n" + std::to_string(++records_) + "\n" + record.targetUri);
  return std::string("WARC/1.1\r\nWARC-Type: ") + record.type + kLineEnd + "WARC-Record-ID: " + id +
         kLineEnd + "WARC-Date: " + WarcDate(record.date) + kLineEnd +
         "WARC-Target-URI: " + record.targetUri + kLineEnd + "WARC-Warcinfo-ID: " + infoId_ +
         kLineEnd + "Content-Type: " + record.contentType + kLineEnd +
         "WARC-Block-Digest: " + blockDigest + kLineEnd + "WARC-Payload-Digest: " + payloadDigest +
         kLineEnd + "Content-Length: " + std::to_string(blockSize) + "\r\n\r\n";
}

void WarcWriter::BeginMember() {
  if (!gzip_) return;
  // windowBits 15 + 16: a gzip wrapper around the deflate stream.
  deflater_->stream = z_stream{};
  if (deflateInit2(&deflater_->stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8,
                   Z_DEFAULT_STRATEGY) != Z_OK) {
    broken_ = true;
    return;
  }
  deflater_->open = true;
}

void WarcWriter::Put(const void* data, std::size_t size) {
  if (broken_) return;
  if (!gzip_) {
    Emit(static_cast<const unsigned char*>(data), size);
    return;
  }
  z_stream& stream = deflater_->stream;
  stream.next_in = static_cast<Bytef*>(const_cast<void*>(data));
  unsigned char out[kFlushSize / 4];
  // zlib counts its input in 32-bit units; pieces are far smaller, headers and read chunks.
  stream.avail_in = static_cast<uInt>(size);
  do {
    stream.next_out = out;
    stream.avail_out = sizeof out;
    deflate(&stream, Z_NO_FLUSH);
    Emit(out, sizeof out - stream.avail_out);
  } while (stream.avail_out == 0);
}

void WarcWriter::EndMember() {
  if (!gzip_ || !deflater_->open) return;
  z_stream& stream = deflater_->stream;
  unsigned char out[kFlushSize / 4];
  int status = Z_OK;
  do {
    stream.next_out = out;
    stream.avail_out = sizeof out;
    status = deflate(&stream, Z_FINISH);
    Emit(out, sizeof out - stream.avail_out);
  } while (status == Z_OK);
  if (status != Z_STREAM_END) broken_ = true;
  deflateEnd(&stream);
  deflater_->open = false;
}

void WarcWriter::Emit(const unsigned char* data, std::size_t size) {
  pending_.insert(pending_.end(), data, data + size);
  if (pending_.size() >= kFlushSize) Flush();
}

void WarcWriter::Flush() {
  if (!broken_ && !pending_.empty() && !file_->Append(pending_.data(), pending_.size())) {
    broken_ = true;
  }
  pending_.clear();
}

bool WarcWriter::Finish(FileTime time) {
  Flush();
  return !broken_ && file_->Commit(time);
}

}  // namespace murel

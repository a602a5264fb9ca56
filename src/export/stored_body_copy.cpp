#include "export/stored_body_copy.h"

#include <memory>
#include <string>
#include <vector>

#include "cache/core/file_range.h"
#include "export/content_decoder.h"

namespace murel {

namespace {

// The codings of a body as a reason names them: "gzip, br".
std::string Codings(const StoredBody& body) {
  std::string codings;
  for (const std::string& coding : body.encodings)
    codings += (codings.empty() ? "" : ", ") + coding;
  return codings;
}

// Why the body's stream stopped, from the decoder's status. A decoder that saw nothing wrong was
// stopped by the reading: the cache file ended, or a read failed, before the body's end.
CopyReason StreamReason(Platform& platform, const StoredBody& body, DecodeStatus status) {
  switch (status) {
    case DecodeStatus::kOk:
      return {CopyFault::kShortSource, ""};
    case DecodeStatus::kTooManyCodings:
      return {CopyFault::kTooManyCodings, Codings(body)};
    case DecodeStatus::kNotInBuild:
      return {CopyFault::kNotInBuild, Codings(body)};
    case DecodeStatus::kCorrupt:
      return {CopyFault::kNotDecodable, Codings(body)};
    case DecodeStatus::kTooLarge:
      return {CopyFault::kTooLarge, std::to_string(DecodedSizeLimit(body.size))};
    case DecodeStatus::kSinkFailed:
      break;
  }
  // The write that failed was the last call to the system.
  return {CopyFault::kCannotWrite, platform.LastErrorText()};
}

// Writes the body through `writer`; kWritten, or kFailed with `why` set.
BodyCopy StreamBody(Platform& platform, const StoredBody& body, bool raw, ReadableFile& file,
                    BodyWriter& writer, CopyReason& why) {
  ContentDecoder decoder(
      raw ? std::vector<std::string>() : body.encodings,
      raw ? UINT64_MAX : DecodedSizeLimit(body.size),
      [&writer](const unsigned char* data, std::size_t size) { return writer.Append(data, size); });
  if (decoder.status() == DecodeStatus::kNotInBuild) {
    why = StreamReason(platform, body, decoder.status());
    return BodyCopy::kNotInBuild;
  }
  // A file cut short since it was opened gives less than the range: the body is incomplete.
  if (!ReadInPieces(file, body.offset, body.size,
                    [&decoder](const unsigned char* data, std::size_t size) {
                      return decoder.Feed(data, size);
                    }) ||
      !decoder.Finish()) {
    why = StreamReason(platform, body, decoder.status());
    return BodyCopy::kFailed;
  }
  return BodyCopy::kWritten;
}

}  // namespace

BodyCopy WriteStoredBody(Platform& platform, const StoredBody& body, bool raw,
                         const std::string& destination, bool onlyNew, CopyReason* why) {
  CopyReason unasked;
  CopyReason& reason = why != nullptr ? *why : unasked;
  const std::shared_ptr<ReadableFile> file =
      body.open ? body.open() : platform.OpenFileForReading(body.file);
  if (!file) {
    reason = {CopyFault::kCannotRead, platform.LastErrorText()};
    return BodyCopy::kFailed;
  }
  if (body.offset > file->Facts().size || body.size > file->Facts().size - body.offset) {
    reason = {CopyFault::kShortSource, ""};
    return BodyCopy::kFailed;
  }
  const std::unique_ptr<BodyWriter> writer =
      onlyNew ? platform.CreateNewBodyWriter(destination) : platform.CreateBodyWriter(destination);
  if (!writer) {
    reason = {CopyFault::kCannotWrite, platform.LastErrorText()};
    return onlyNew ? BodyCopy::kNotNew : BodyCopy::kFailed;
  }
  // The writer is dropped unused on any failure, which removes its temporary; the reason is
  // taken before that, while the system's own words still stand for the failure.
  const BodyCopy copy = StreamBody(platform, body, raw, *file, *writer, reason);
  if (copy != BodyCopy::kWritten || writer->Commit(body.stored)) return copy;
  reason = {CopyFault::kCannotWrite, platform.LastErrorText()};
  return BodyCopy::kFailed;
}

}  // namespace murel

#include "export/stored_body_copy.h"

#include <memory>
#include <vector>

#include "export/content_decoder.h"
#include "urlcache/file_range.h"

namespace murel {

BodyCopy WriteStoredBody(Platform& platform, const StoredBody& body, bool raw,
                         const std::string& destination, bool onlyNew) {
  const std::shared_ptr<ReadableFile> file =
      body.open ? body.open() : platform.OpenFileForReading(body.file);
  if (!file || body.offset > file->Facts().size || body.size > file->Facts().size - body.offset) {
    return BodyCopy::kFailed;
  }
  const std::unique_ptr<BodyWriter> writer =
      onlyNew ? platform.CreateNewBodyWriter(destination) : platform.CreateBodyWriter(destination);
  if (!writer) return onlyNew ? BodyCopy::kNotNew : BodyCopy::kFailed;
  ContentDecoder decoder(raw ? std::vector<std::string>() : body.encodings,
                         raw ? UINT64_MAX : DecodedSizeLimit(body.size),
                         [&writer](const unsigned char* data, std::size_t size) {
                           return writer->Append(data, size);
                         });
  // The writer is dropped unused on any failure, which removes its temporary.
  if (decoder.status() == DecodeStatus::kNotInBuild) return BodyCopy::kNotInBuild;
  // A file cut short since it was opened gives less than the range: the body is incomplete.
  if (!ReadInPieces(*file, body.offset, body.size,
                    [&decoder](const unsigned char* data, std::size_t size) {
                      return decoder.Feed(data, size);
                    }) ||
      !decoder.Finish()) {
    return BodyCopy::kFailed;
  }
  return writer->Commit(body.stored) ? BodyCopy::kWritten : BodyCopy::kFailed;
}

}  // namespace murel

#include "export/stored_body_copy.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "export/content_decoder.h"

namespace murel {
namespace {

// Large enough to keep system calls few, small enough that memory does not grow with a body.
constexpr std::size_t kChunkSize = std::size_t{1} << 16;

// Reads the range of `body` in chunks and hands each to `decoder`. False when the file is
// shorter than the range or a read or the decoder fails.
bool StreamRange(ReadableFile& file, const StoredBody& body, ContentDecoder& decoder) {
  // Not zero-filled: every byte used is read first, and most bodies are read into it whole.
  const std::unique_ptr<unsigned char[]> chunk(
      new unsigned char[static_cast<std::size_t>(std::min<std::uint64_t>(body.size, kChunkSize))]);
  for (std::uint64_t done = 0; done < body.size;) {
    const auto want =
        static_cast<std::size_t>(std::min<std::uint64_t>(body.size - done, kChunkSize));
    const std::optional<std::size_t> got = file.ReadAt(body.offset + done, chunk.get(), want);
    // A file cut short since it was opened gives less than the range: the body is incomplete.
    if (!got || *got == 0 || !decoder.Feed(chunk.get(), *got)) return false;
    done += *got;
  }
  return true;
}

}  // namespace

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
  if (!StreamRange(*file, body, decoder) || !decoder.Finish()) return BodyCopy::kFailed;
  return writer->Commit(body.stored) ? BodyCopy::kWritten : BodyCopy::kFailed;
}

}  // namespace murel

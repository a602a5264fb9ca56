#include "export/stored_body_copy.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace murel {
namespace {

// Large enough to keep system calls few, small enough that memory does not grow with a body.
constexpr std::size_t kChunkSize = std::size_t{1} << 16;

}  // namespace

bool WriteStoredBody(Platform& platform, const StoredBody& body, const std::string& destination) {
  const std::unique_ptr<ReadableFile> file = platform.OpenFileForReading(body.file);
  if (!file || body.offset > file->Facts().size ||
      body.size > file->Facts().size - body.offset) {
    return false;
  }
  const std::unique_ptr<BodyWriter> writer = platform.CreateBodyWriter(destination);
  if (!writer) return false;
  std::vector<unsigned char> chunk(static_cast<std::size_t>(std::min<std::uint64_t>(body.size, kChunkSize)));
  for (std::uint64_t done = 0; done < body.size;) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(body.size - done, chunk.size()));
    const std::optional<std::size_t> got = file->ReadAt(body.offset + done, chunk.data(), want);
    // A file cut short since it was opened gives less than the range: the body is incomplete.
    if (!got || *got == 0 || !writer->Append(chunk.data(), *got)) return false;
    done += *got;
  }
  return writer->Commit(body.stored);
}

}  // namespace murel

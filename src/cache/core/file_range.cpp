#include "cache/core/file_range.h"

#include <algorithm>
#include <memory>

namespace murel {
namespace {

// Large enough to keep system calls few, small enough that memory does not grow with a range.
constexpr std::uint64_t kPieceSize = std::uint64_t{1} << 16;

}  // namespace

bool ReadRange(ReadableFile& file, std::uint64_t offset, std::size_t size,
               std::vector<unsigned char>& bytes) {
  const std::uint64_t fileSize = file.Facts().size;
  if (offset > fileSize || size > fileSize - offset) return false;
  bytes.resize(size);
  for (std::size_t got = 0; got < size;) {
    const std::optional<std::size_t> read =
        file.ReadAt(offset + got, bytes.data() + got, size - got);
    if (!read || *read == 0) return false;
    got += *read;
  }
  return true;
}

bool ReadInPieces(ReadableFile& file, std::uint64_t offset, std::uint64_t size,
                  const std::function<bool(const unsigned char*, std::size_t)>& take) {
  const std::uint64_t fileSize = file.Facts().size;
  if (offset > fileSize || size > fileSize - offset) return false;
  if (const unsigned char* held = file.HeldBytes()) {
    return size == 0 || take(held + offset, static_cast<std::size_t>(size));
  }
  // Not zero-filled: every byte used is read first.
  const std::unique_ptr<unsigned char[]> piece(
      new unsigned char[static_cast<std::size_t>(std::min(size, kPieceSize))]);
  for (std::uint64_t done = 0; done < size;) {
    const auto want = static_cast<std::size_t>(std::min(size - done, kPieceSize));
    const std::optional<std::size_t> got = file.ReadAt(offset + done, piece.get(), want);
    if (!got || *got == 0 || !take(piece.get(), *got)) return false;
    done += *got;
  }
  return true;
}

}  // namespace murel

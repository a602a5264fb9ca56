// Reading a range of a cache file into memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/platform.h"

namespace murel {

/// Reads the `size` bytes at `offset` of `file` into `bytes` (resized to `size`). False, with
/// `bytes` undefined, when the range passes the file's size as it was opened or a read fails or
/// comes short. Nothing is allocated for a range that the file cannot hold.
bool ReadRange(ReadableFile& file, std::uint64_t offset, std::size_t size,
               std::vector<unsigned char>& bytes);

/// Hands the `size` bytes at `offset` of `file` to `take`, in order: where they lie when the file
/// holds them in memory, else read in pieces of at most 64 KiB, so that memory does not grow
/// with the range. False when the range passes the file's size as it was opened, a read fails or
/// comes short (the file was cut since it was opened), or `take` gives false.
bool ReadInPieces(ReadableFile& file, std::uint64_t offset, std::uint64_t size,
                  const std::function<bool(const unsigned char*, std::size_t)>& take);

}  // namespace murel

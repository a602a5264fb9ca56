// Reading a range of a cache file into memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/platform.h"

namespace murel {

/// Reads the `size` bytes at `offset` of `file` into `bytes` (resized to `size`). False, with
/// `bytes` undefined, when the range passes the file's size as it was opened or a read fails or
/// comes short. Nothing is allocated for a range that the file cannot hold.
bool ReadRange(ReadableFile& file, std::uint64_t offset, std::size_t size,
               std::vector<unsigned char>& bytes);

}  // namespace murel

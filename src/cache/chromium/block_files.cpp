#include "cache/chromium/block_files.h"

#include <cstdio>

#include "cache/core/file_range.h"
#include "cache/core/little_endian.h"

namespace murel {
namespace {

constexpr std::uint32_t kBlockFileMagic = 0xC104CAC3u;
constexpr std::uint64_t kBlockHeaderSize = 8192;
// The allocation bitmap of a block-file header has room for this many blocks.
constexpr std::uint32_t kMaxBlocks = (8192 - 80) * 8;

// The block size of each file type; 0 for the types that never reach the disk.
std::uint32_t BlockSizeOf(std::uint32_t type) {
  static constexpr std::uint32_t sizes[8] = {0, 36, 256, 1024, 4096, 0, 0, 0};
  return sizes[type & 7];
}

std::string Hex(const char* format, std::uint32_t number) {
  char name[32];
  std::snprintf(name, sizeof name, format, static_cast<unsigned>(number));
  return name;
}

}  // namespace

BlockFiles::BlockFile* BlockFiles::Block(std::uint32_t number) {
  auto known = blocks_.find(number);
  if (known != blocks_.end()) return known->second.file ? &known->second : nullptr;
  BlockFile& block = blocks_[number];
  std::unique_ptr<ReadableFile> file = opened_->OpenName(Hex("data_%u", number));
  std::vector<unsigned char> header;
  if (!file || !ReadRange(*file, 0, 24, header) || LoadU32(header.data()) != kBlockFileMagic ||
      (LoadU32(header.data() + 4) >> 16) != 2) {
    return nullptr;
  }
  block.blockSize = LoadU32(header.data() + 12);
  block.capacity = LoadU32(header.data() + 20);
  block.file = std::move(file);
  return &block;
}

std::optional<BlockPlace> BlockFiles::Locate(std::uint32_t address, int wantedType) {
  const std::uint32_t type = (address >> 28) & 7;
  if ((address & 0x80000000u) == 0 ||
      (wantedType >= 0 && type != static_cast<std::uint32_t>(wantedType))) {
    return std::nullopt;
  }
  if (type == 0) {
    const std::string name = Hex("f_%06x", address & 0x0FFFFFFFu);
    return BlockPlace{name, folder_ + "\\" + name, 0, UINT64_MAX};
  }
  const std::uint32_t blockSize = BlockSizeOf(type);
  const std::uint32_t count = ((address >> 24) & 3) + 1;
  const std::uint32_t first = address & 0xFFFFu;
  BlockFile* block =
      (address & 0x0C000000u) == 0 && blockSize != 0 ? Block((address >> 16) & 0xFF) : nullptr;
  if (!block || block->blockSize != blockSize || first + count > block->capacity ||
      first + count > kMaxBlocks) {
    return std::nullopt;
  }
  const std::uint64_t offset = kBlockHeaderSize + std::uint64_t{first} * blockSize;
  const std::uint64_t length = std::uint64_t{count} * blockSize;
  if (offset + length > block->file->Facts().size) return std::nullopt;
  const std::string name = Hex("data_%u", (address >> 16) & 0xFF);
  return BlockPlace{name, folder_ + "\\" + name, offset, length};
}

bool BlockFiles::Read(std::uint32_t address, std::size_t size, std::vector<unsigned char>& bytes,
                      int wantedType) {
  const std::optional<BlockPlace> place = Locate(address, wantedType);
  if (!place || size > place->length) return false;
  if (((address >> 28) & 7) != 0)
    return ReadRange(*blocks_[(address >> 16) & 0xFF].file, place->offset, size, bytes);
  // External files are many: each is open only while it is read.
  const std::unique_ptr<ReadableFile> file = opened_->OpenName(place->name);
  return file && ReadRange(*file, 0, size, bytes);
}

std::function<std::shared_ptr<ReadableFile>()> BlockFiles::Opener(std::uint32_t address,
                                                                  const BlockPlace& place) {
  if (((address >> 28) & 7) != 0) {
    return [file = blocks_[(address >> 16) & 0xFF].file] { return file; };
  }
  return [opened = opened_, name = place.name]() -> std::shared_ptr<ReadableFile> {
    return opened->OpenName(name);
  };
}

}  // namespace murel

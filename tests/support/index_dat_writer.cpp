#include "support/index_dat_writer.h"

#include <algorithm>

namespace murel {
namespace {

constexpr std::uint32_t kRecordArea = 0x4000;
constexpr std::uint32_t kBlock = 0x80;
constexpr std::uint32_t kTableBlocks = 0x20;
constexpr std::size_t kUsedSlots = 448;  // the rest of a table is filler
constexpr std::uint32_t kFreeKey = 3;
constexpr std::uint32_t kFiller = 0xDEADBEEF;
constexpr std::uint32_t kUrlTextStart = 104;

const char* SignatureOf(IndexDatWriter::Version version) {
  switch (version) {
    case IndexDatWriter::Version::k52:
      return "Client UrlCache MMF Ver 5.2";
    case IndexDatWriter::Version::k47:
      return "Client UrlCache MMF Ver 4.7";
    case IndexDatWriter::Version::kWine2012:
      return "WINE URLCache Ver 0.2012001";
    case IndexDatWriter::Version::kWine2005:
      return "WINE URLCache Ver 0.2005001";
  }
  return "";
}

}  // namespace

IndexDatWriter::IndexDatWriter(Version version) : version_(version), data_(kRecordArea, 0) {
  PutText(0, SignatureOf(version));
}

std::uint8_t IndexDatWriter::AddDirectory(const std::string& name) {
  const std::uint32_t entry = 0x4C + directories_ * 12;
  std::copy_n(name.begin(), std::min<std::size_t>(name.size(), 8), data_.begin() + entry + 4);
  Put32(0x48, ++directories_);
  return static_cast<std::uint8_t>(directories_ - 1);
}

std::uint32_t IndexDatWriter::AddTable() {
  const std::uint32_t table = Allocate(kTableBlocks);
  PutText(table, "HASH");
  Put32(table + 4, kTableBlocks);
  Put32(table + 12, static_cast<std::uint32_t>(tables_.size()));
  const std::size_t slots = (kTableBlocks * kBlock - 16) / 8;
  for (std::size_t slot = 0; slot < slots; ++slot) {
    const std::uint32_t value = slot < kUsedSlots ? kFreeKey : kFiller;
    SetSlot(table, slot, value, value);
  }
  if (tables_.empty()) {
    Put32(0x20, table);
  } else {
    Put32(tables_.back() + 8, table);
  }
  tables_.push_back(table);
  nextSlot_ = 0;
  return table;
}

std::uint32_t IndexDatWriter::AddUrlRecord(const std::string& url, const std::string& fileName,
                                           std::uint8_t directory, const std::string& headers) {
  const std::uint32_t nameAt = kUrlTextStart + static_cast<std::uint32_t>(url.size()) + 1;
  const std::uint32_t headersAt = nameAt + static_cast<std::uint32_t>(fileName.size()) + 1;
  const std::uint32_t size = headersAt + static_cast<std::uint32_t>(headers.size());
  const std::uint32_t blocks = (size + kBlock - 1) / kBlock;
  const std::uint32_t record = Allocate(blocks);
  PutText(record, "URL ");
  Put32(record + 4, blocks);
  Put32(record + UrlOffsetField(), kUrlTextStart);
  PutText(record + kUrlTextStart, url);
  data_[record + DirectoryField()] = directory;
  if (!fileName.empty()) {
    Put32(record + FileNameOffsetField(), nameAt);
    PutText(record + nameAt, fileName);
  }
  if (!headers.empty()) {
    Put32(record + HeadersOffsetField(), headersAt);
    Put32(record + HeadersOffsetField() + 4, static_cast<std::uint32_t>(headers.size()));
    std::copy(headers.begin(), headers.end(), data_.begin() + record + headersAt);
  }
  return record;
}

std::uint32_t IndexDatWriter::AddRecord(const std::string& signature, std::uint32_t blocks) {
  const std::uint32_t record = Allocate(blocks);
  std::copy_n(signature.begin(), std::min<std::size_t>(signature.size(), 4),
              data_.begin() + record);
  Put32(record + 4, blocks);
  return record;
}

void IndexDatWriter::SetSlot(std::uint32_t table, std::size_t slot, std::uint32_t key,
                             std::uint32_t offset) {
  const std::uint32_t at = table + 16 + static_cast<std::uint32_t>(slot) * 8;
  Put32(at, key);
  Put32(at + 4, offset);
}

std::uint32_t IndexDatWriter::AddUrl(const std::string& url, const std::string& fileName,
                                     std::uint8_t directory) {
  if (tables_.empty()) AddTable();
  const std::uint32_t record = AddUrlRecord(url, fileName, directory);
  SetSlot(tables_.back(), nextSlot_, 0x80000000u | static_cast<std::uint32_t>(nextSlot_ << 6),
          record);
  ++nextSlot_;
  return record;
}

void IndexDatWriter::Put32(std::uint32_t offset, std::uint32_t value) {
  for (std::uint32_t i = 0; i < 4 && offset + i < data_.size(); ++i) {
    data_[offset + i] = static_cast<unsigned char>(value >> (8 * i));
  }
}

std::uint32_t IndexDatWriter::UrlOffsetField() const { return version_ == Version::k47 ? 56 : 52; }
std::uint32_t IndexDatWriter::DirectoryField() const { return version_ == Version::k47 ? 60 : 56; }
std::uint32_t IndexDatWriter::FileNameOffsetField() const {
  return version_ == Version::k47 ? 64 : 60;
}
std::uint32_t IndexDatWriter::HeadersOffsetField() const {
  return version_ == Version::k47 ? 72 : 68;
}

std::vector<unsigned char> IndexDatWriter::Bytes() const {
  IndexDatWriter copy = *this;
  const std::uint32_t size = static_cast<std::uint32_t>(data_.size());
  const std::uint32_t blocks = (size - kRecordArea) / kBlock;
  copy.Put32(0x1C, size);
  copy.Put32(0x24, blocks);
  copy.Put32(0x28, blocks);
  // Every allocated block is in use: set the allocation bitmap's first `blocks` bits.
  for (std::uint32_t block = 0; block < blocks; ++block) {
    copy.data_[0x250 + block / 8] |= static_cast<unsigned char>(1u << (block % 8));
  }
  return copy.data_;
}

std::uint32_t IndexDatWriter::Allocate(std::uint32_t blocks) {
  const std::uint32_t offset = static_cast<std::uint32_t>(data_.size());
  data_.resize(data_.size() + std::size_t{blocks} * kBlock, 0);
  return offset;
}

void IndexDatWriter::PutText(std::uint32_t offset, const std::string& text) {
  std::copy(text.begin(), text.end(), data_.begin() + offset);
}

}  // namespace murel

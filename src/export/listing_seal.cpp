#include "export/listing_seal.h"

namespace murel {
namespace {

// Version 2 vouches by an XXH3 hash; version 1 did by FNV-1a, and reads as vouching for nothing.
constexpr std::string_view kHeader = "murel listing seal 2\t";

}  // namespace

ListingSeal::ListingSeal(Platform& platform, std::string path)
    : platform_(platform), path_(std::move(path)) {}

std::string ListingSeal::Text(std::uint64_t size, const ListingHash& hash) {
  return std::string(kHeader) + std::to_string(size) + '\t' + hash.Hex() + '\n';
}

bool ListingSeal::Vouches(std::uint64_t size, const ListingHash& hash) {
  if (path_.empty()) return false;
  const std::unique_ptr<ReadableFile> file = platform_.OpenFileForReading(path_);
  const std::string expected = Text(size, hash);
  if (!file || file->Facts().size != expected.size()) return false;
  std::string text(expected.size(), '\0');
  const std::optional<std::size_t> got =
      file->ReadAt(0, reinterpret_cast<unsigned char*>(text.data()), text.size());
  return got == text.size() && text == expected;
}

bool ListingSeal::Break() {
  if (!broken_) {
    broken_ = path_.empty() || platform_.RemoveFile(path_) || !platform_.QueryFile(path_);
  }
  return broken_;
}

void ListingSeal::Set(std::uint64_t size, const ListingHash& hash) {
  if (path_.empty() || Vouches(size, hash)) return;
  const std::string text = Text(size, hash);
  const std::unique_ptr<BodyWriter> writer = platform_.CreateBodyWriter(path_);
  if (writer && writer->Append(reinterpret_cast<const unsigned char*>(text.data()), text.size()) &&
      writer->Commit(platform_.CurrentTime())) {
    broken_ = false;
    return;
  }
  broken_ = false;
  Break();
}

}  // namespace murel

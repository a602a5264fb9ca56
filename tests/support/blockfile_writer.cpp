#include "support/blockfile_writer.h"

#include <cstdio>

#include "cache/chromium/chromium_checksum.h"

namespace murel {
namespace {

constexpr std::size_t kHeaderSize = 8192;
constexpr std::uint32_t kMaxBlocks = (8192 - 80) * 8;
constexpr int kRankings = 1;
constexpr int kBlocks256 = 2;

std::uint32_t BlockSize(int type) { return type == kRankings ? 36 : 256; }

void PutU32(std::vector<unsigned char>& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

void PutU32(std::string& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

// A pickled response info of version 3: a 200 response with no further headers.
std::string ResponseInfo() {
  const std::string headers("HTTP/1.1 200 OK\0\0", 17);
  std::string payload(4 + 8 + 8 + 4, '\0');
  PutU32(payload, 0, 3);
  PutU32(payload, 20, static_cast<std::uint32_t>(headers.size()));
  payload += headers + std::string((4 - headers.size() % 4) % 4, '\0');
  std::string pickle(4, '\0');
  PutU32(pickle, 0, static_cast<std::uint32_t>(payload.size()));
  return pickle + payload;
}

std::uint32_t Hash(const std::string& bytes) {
  return SuperFastHash(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

}  // namespace

std::uint32_t BlockfileWriter::Allocate(int type) {
  auto current = current_.find(type);
  if (current == current_.end() ||
      blocks_[current->second].size() >= kHeaderSize + std::size_t{kMaxBlocks} * BlockSize(type)) {
    // data_0 and data_1 are the first files of their types; more go to data_4 and on.
    const int number = current == current_.end() ? type - 1 : nextFile_++;
    std::vector<unsigned char>& file = blocks_[number];
    file.assign(kHeaderSize, 0);
    PutU32(file, 0, 0xC104CAC3u);
    PutU32(file, 4, 0x20000);
    PutU32(file, 8, static_cast<std::uint32_t>(number));
    PutU32(file, 12, BlockSize(type));
    PutU32(file, 20, kMaxBlocks);
    current = current_.insert_or_assign(type, number).first;
  }
  std::vector<unsigned char>& file = blocks_[current->second];
  const auto block = static_cast<std::uint32_t>((file.size() - kHeaderSize) / BlockSize(type));
  file.resize(file.size() + BlockSize(type));
  return 0x80000000u | static_cast<std::uint32_t>(type) << 28 |
         static_cast<std::uint32_t>(current->second) << 16 | block;
}

void BlockfileWriter::Put(std::uint32_t address, const std::string& bytes) {
  const int type = static_cast<int>(address >> 28 & 7);
  std::vector<unsigned char>& file = blocks_[static_cast<int>(address >> 16 & 0xFF)];
  std::copy(bytes.begin(), bytes.end(),
            file.begin() +
                static_cast<std::ptrdiff_t>(kHeaderSize + (address & 0xFFFF) * BlockSize(type)));
}

std::uint32_t BlockfileWriter::AddExternal(const std::string& bytes) {
  const std::uint32_t number = static_cast<std::uint32_t>(external_.size()) + 1;
  char name[16];
  std::snprintf(name, sizeof name, "f_%06x", static_cast<unsigned>(number));
  external_[name] = bytes + '\0';
  return 0x80000000u | number;
}

std::uint32_t BlockfileWriter::Store(const std::string& bytes) {
  if (bytes.size() > 256) return AddExternal(bytes);
  const std::uint32_t address = Allocate(kBlocks256);
  Put(address, bytes);
  return address;
}

std::uint32_t BlockfileWriter::AddEntry(const Entry& entry) {
  const std::uint32_t address = Allocate(kBlocks256);
  const std::uint32_t rankings = Allocate(kRankings);
  std::string node(36, '\0');
  PutU32(node, 24, address);
  Put(rankings, node);
  const std::string info = ResponseInfo();
  std::string record(256, '\0');
  const std::uint32_t hash = Hash(entry.key);
  std::uint32_t& bucket = table_[hash % table_.size()];
  PutU32(record, 0, hash);
  PutU32(record, 4, bucket);
  PutU32(record, 8, rankings);
  PutU32(record, 32, static_cast<std::uint32_t>(entry.key.size()));
  PutU32(record, 36, entry.longKey);
  PutU32(record, 40, static_cast<std::uint32_t>(info.size()));
  PutU32(record, 44, static_cast<std::uint32_t>(entry.body.size()));
  PutU32(record, 56, Store(info));
  if (!entry.body.empty()) {
    PutU32(record, 60, entry.bodyAddress != 0 ? entry.bodyAddress : Store(entry.body));
  }
  if (entry.longKey == 0) record.replace(96, entry.key.size(), entry.key);
  PutU32(record, 92, Hash(record.substr(0, 92)));
  Put(address, record);
  bucket = address;
  return address;
}

std::map<std::string, std::string> BlockfileWriter::Files() const {
  std::map<std::string, std::string> files = external_;
  std::string index(368, '\0');
  PutU32(index, 0, 0xC103CAC3u);
  PutU32(index, 4, 0x30000);
  PutU32(index, 28, static_cast<std::uint32_t>(table_.size()));
  for (const std::uint32_t bucket : table_) {
    index.resize(index.size() + 4);
    PutU32(index, index.size() - 4, bucket);
  }
  files["index"] = index;
  for (const auto& [number, bytes] : blocks_) {
    files["data_" + std::to_string(number)] = std::string(bytes.begin(), bytes.end());
  }
  return files;
}

}  // namespace murel

#include "cache/firefox/firefox_metadata.h"

#include <algorithm>

#include "cache/firefox/jenkins_hash.h"

namespace murel {
namespace {

constexpr std::size_t kHashSize = 4;             // the metadata hash before the chunk hashes
constexpr std::size_t kLengthSize = 4;           // the data length that ends the file
constexpr std::size_t kVersion4Extra = 4;        // the word version 4 puts before the length
constexpr std::size_t kHeaderSize = 32;          // the header from version 2 on
constexpr std::size_t kVersion1HeaderSize = 28;  // version 1 has no flags word
constexpr std::size_t kKeySizeField = 24;        // where the header keeps the key's length
constexpr std::size_t kLastModifiedField = 12;

std::uint32_t Big32(const unsigned char* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
         p[3];
}

// Element texts come in pairs, each ended by NUL: an even number of NULs, the last byte one.
bool ElementsWellFormed(std::string_view elements) {
  if (elements.empty()) return true;
  if (elements.back() != '\0') return false;
  return std::count(elements.begin(), elements.end(), '\0') % 2 == 0;
}

// The header, key and elements of `meta` (the whole metadata, `size` bytes, with `chunkCount`
// hashes) into `parsed`; false when they do not fit or are not well formed.
bool ParseBody(const unsigned char* meta, std::size_t size, std::uint64_t chunkCount,
               FirefoxMetadata& parsed) {
  const std::size_t header = kHashSize + static_cast<std::size_t>(chunkCount) * 2;
  if (size < header + 4) return false;
  const std::uint32_t version = Big32(meta + header);
  if (version < 1 || version > 4) return false;
  const std::size_t headerSize = version == 1 ? kVersion1HeaderSize : kHeaderSize;
  const std::size_t trailer = kLengthSize + (version >= 4 ? kVersion4Extra : 0);
  if (size < header + headerSize + trailer + 1) return false;
  const std::size_t end = size - trailer;  // of the elements, and of what the hash covers
  const std::size_t keyStart = header + headerSize;
  const std::uint32_t keySize = Big32(meta + header + kKeySizeField);
  if (keySize >= end - keyStart || meta[keyStart + keySize] != '\0') return false;
  const char* text = reinterpret_cast<const char*>(meta);
  parsed.key = std::string_view(text + keyStart, keySize);
  parsed.elements = std::string_view(text + keyStart + keySize + 1, end - keyStart - keySize - 1);
  if (parsed.elements.size() > kFirefoxMaxElementsSize || !ElementsWellFormed(parsed.elements)) {
    return false;
  }
  parsed.lastModified = Big32(meta + header + kLastModifiedField);
  return Big32(meta) == JenkinsHash(meta + kHashSize, end - kHashSize);
}

}  // namespace

std::uint16_t FirefoxMetadata::ChunkHash(std::uint64_t index) const {
  const unsigned char* p = chunkHashes + index * 2;
  return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

std::optional<std::string_view> FirefoxMetadata::Element(std::string_view name) const {
  std::string_view rest = elements;
  while (!rest.empty()) {
    const std::size_t nameEnd = rest.find('\0');
    const std::size_t valueEnd = rest.find('\0', nameEnd + 1);
    if (rest.substr(0, nameEnd) == name) return rest.substr(nameEnd + 1, valueEnd - nameEnd - 1);
    rest.remove_prefix(valueEnd + 1);
  }
  return std::nullopt;
}

std::optional<FirefoxMetadata> ParseFirefoxMetadata(const unsigned char* tail, std::size_t tailSize,
                                                    std::uint64_t fileSize) {
  if (tailSize < kLengthSize || tailSize > fileSize) return std::nullopt;
  FirefoxMetadata parsed;
  parsed.dataSize = Big32(tail + tailSize - kLengthSize);
  // An unfinished entry ends in 0xFFFFFFFF: no data length, and so no metadata.
  if (parsed.dataSize >= fileSize || fileSize - parsed.dataSize > tailSize) return std::nullopt;
  const std::size_t size = static_cast<std::size_t>(fileSize - parsed.dataSize);
  if (size < kHashSize + kLengthSize) return std::nullopt;
  const unsigned char* meta = tail + (tailSize - size);
  parsed.chunkCount = (parsed.dataSize + kFirefoxChunkSize - 1) / kFirefoxChunkSize;
  if (parsed.chunkCount > (size - kHashSize) / 2) return std::nullopt;
  parsed.chunkHashes = meta + kHashSize;
  if (!ParseBody(meta, size, parsed.chunkCount, parsed)) return std::nullopt;
  return parsed;
}

}  // namespace murel

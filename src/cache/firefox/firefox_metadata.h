// The metadata at the end of an entry file of Firefox's disk cache ("cache2").
//
// An entry file holds the entry's data first (the body, then any alternative data), and after it
// the metadata: a hash of the metadata, one 16-bit hash per 256 KiB chunk of the data, a header,
// the key and its NUL, the elements ("name NUL value NUL" pairs), from version 4 on one more
// 32-bit word, and last the data's length as a 32-bit word. Every number is big-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace murel {

/// The size of the pieces of an entry's data that carry a hash each.
constexpr std::uint64_t kFirefoxChunkSize = std::uint64_t{256} << 10;

/// The most bytes of elements Firefox writes; metadata with more is damaged.
constexpr std::size_t kFirefoxMaxElementsSize = std::size_t{64} << 10;

/// The metadata of one entry file, as views into the bytes it was parsed from: valid while they
/// are.
struct FirefoxMetadata {
  std::uint64_t dataSize = 0;                  ///< Bytes of data before the metadata.
  const unsigned char* chunkHashes = nullptr;  ///< One big-endian 16-bit hash per chunk.
  std::uint64_t chunkCount = 0;                ///< ceil(dataSize / kFirefoxChunkSize).
  std::uint32_t lastModified = 0;              ///< When the entry was last written (Unix seconds).
  std::string_view key;                        ///< The key, without its NUL.
  std::string_view elements;                   ///< The element pairs, each text ending in NUL.

  /// The hash of chunk `index` (< chunkCount): the low 16 bits of the chunk's JenkinsHash.
  std::uint16_t ChunkHash(std::uint64_t index) const;
  /// The value of the element `name`; empty when the entry has none.
  std::optional<std::string_view> Element(std::string_view name) const;
};

/// Parses the metadata of an entry file of `fileSize` bytes from `tail`, its last `tailSize`
/// bytes (all of them when the file is no longer). Empty when the metadata is damaged: the data
/// length leaves no room for it, it does not lie wholly in `tail`, its version is not 1 to 4,
/// the key or the elements run past their place or are not ended by NUL, the elements pass
/// kFirefoxMaxElementsSize, or the metadata hash does not match.
std::optional<FirefoxMetadata> ParseFirefoxMetadata(const unsigned char* tail, std::size_t tailSize,
                                                    std::uint64_t fileSize);

}  // namespace murel

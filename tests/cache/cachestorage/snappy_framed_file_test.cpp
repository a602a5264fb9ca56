// Snappy's framing as Firefox keeps CacheStorage bodies: chunks checked, damage refused.
#include "cache/cachestorage/snappy_framed_file.h"

#include <gtest/gtest.h>
#include <snappy.h>

#include <string>

#include "cache/core/memory_file.h"

namespace murel {
namespace {

std::vector<unsigned char> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

// One chunk of `type` holding `data`, with the CRC of `decoded` (or `crc` when given).
std::string Chunk(unsigned char type, const std::string& data, const std::string& decoded,
                  std::optional<std::uint32_t> crc = std::nullopt) {
  const std::uint32_t sum = crc.value_or(
      MaskedCrc32c(reinterpret_cast<const unsigned char*>(decoded.data()), decoded.size()));
  const std::size_t size = data.size() + 4;
  std::string out{static_cast<char>(type), static_cast<char>(size & 0xFF),
                  static_cast<char>((size >> 8) & 0xFF), static_cast<char>(size >> 16)};
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((sum >> (8 * i)) & 0xFF));
  return out + data;
}

std::string Compressed(const std::string& decoded) {
  std::string block;
  snappy::Compress(decoded.data(), decoded.size(), &block);
  return Chunk(0x00, block, decoded);
}

const std::string kIdentifier("\xFF\x06\x00\x00sNaPpY", 10);

std::unique_ptr<SnappyFramedFile> Framed(const std::string& bytes) {
  return SnappyFramedFile::Open(std::make_unique<MemoryFile>(Bytes(bytes), 7));
}

std::optional<std::string> ReadAll(SnappyFramedFile& file) {
  std::string out(static_cast<std::size_t>(file.Facts().size), '\0');
  const std::optional<std::size_t> read =
      file.ReadAt(0, reinterpret_cast<unsigned char*>(out.data()), out.size());
  if (!read || *read != out.size()) return std::nullopt;
  return out;
}

TEST(SnappyFramedFile, MaskedCrcIsSnappys) {
  // CRC-32C of "123456789" is 0xE3069283; snappy keeps it rotated by 15 bits plus a constant.
  const std::string check = "123456789";
  const std::uint32_t crc = 0xE3069283u;
  EXPECT_EQ(MaskedCrc32c(reinterpret_cast<const unsigned char*>(check.data()), check.size()),
            ((crc >> 15) | (crc << 17)) + 0xA282EAD8u);
}

TEST(SnappyFramedFile, ReadsChunksOfBothKindsAcrossTheirEnds) {
  const std::string first(65536, 'a');
  const std::string second = "plain bytes, stored as they are";
  const std::string third(1000, 'z');
  const std::unique_ptr<SnappyFramedFile> file =
      Framed(kIdentifier + Compressed(first) + Chunk(0xFE, "pad", "") +
             Chunk(0x01, second, second) + Compressed(third));
  ASSERT_TRUE(file);
  EXPECT_EQ(file->Facts().size, first.size() + second.size() + third.size());
  EXPECT_EQ(file->Facts().time, 7u);
  EXPECT_EQ(ReadAll(*file), first + second + third);
  // A read that starts inside one chunk and ends in the next.
  unsigned char part[10];
  ASSERT_EQ(file->ReadAt(first.size() - 3, part, sizeof part), sizeof part);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(part), sizeof part), "aaaplain b");
}

TEST(SnappyFramedFile, TakesTheChecksumFirefoxWrites) {
  // Firefox keeps the CRC-32C register without its final inversion: "the newer answer\n" as
  // Firefox 153 framed it.
  const std::string body = "the newer answer\n";
  const std::unique_ptr<SnappyFramedFile> file =
      Framed(kIdentifier + Chunk(0x01, body, body, 0xBBCA22EEu));
  ASSERT_TRUE(file);
  EXPECT_EQ(ReadAll(*file), body);
}

TEST(SnappyFramedFile, RefusesDamagedFraming) {
  const std::string body = Compressed("some text");
  EXPECT_FALSE(Framed(body)) << "no stream identifier";
  EXPECT_FALSE(Framed(kIdentifier + Chunk(0x02, "x", ""))) << "unskippable reserved chunk";
  EXPECT_FALSE(Framed(kIdentifier + body.substr(0, body.size() - 1))) << "cut chunk";
  EXPECT_FALSE(Framed(kIdentifier + Chunk(0x01, std::string(65537, 'u'), "")))
      << "chunk over 64 KiB";
  EXPECT_FALSE(Framed(kIdentifier + std::string("\x00\x02\x00", 3))) << "cut header";
}

TEST(SnappyFramedFile, ChunkThatDoesNotMatchItsCrcFailsTheRead) {
  for (const std::string& chunk :
       {Chunk(0x01, "stored", "stored", 1234), Chunk(0x00, "\x05garbage", "", 0)}) {
    const std::unique_ptr<SnappyFramedFile> file = Framed(kIdentifier + chunk);
    ASSERT_TRUE(file);
    EXPECT_FALSE(ReadAll(*file));
  }
}

}  // namespace
}  // namespace murel

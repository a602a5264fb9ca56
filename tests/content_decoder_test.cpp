#include "export/content_decoder.h"

#include <brotli/encode.h>
#include <gtest/gtest.h>
#include <zlib.h>
#include <zstd.h>

#include <random>
#include <string>
#include <vector>

namespace murel {
namespace {

using Bytes = std::string;

Bytes Zlib(const Bytes& in, int window) {
  z_stream z{};
  deflateInit2(&z, 6, Z_DEFLATED, window, 8, Z_DEFAULT_STRATEGY);
  Bytes out(deflateBound(&z, in.size()) + 32, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  z.avail_in = static_cast<uInt>(in.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

Bytes Brotli(const Bytes& in) {
  std::size_t size = BrotliEncoderMaxCompressedSize(in.size()) + 16;
  Bytes out(size, '\0');
  BrotliEncoderCompress(5, 22, BROTLI_MODE_GENERIC, in.size(),
                        reinterpret_cast<const std::uint8_t*>(in.data()), &size,
                        reinterpret_cast<std::uint8_t*>(out.data()));
  out.resize(size);
  return out;
}

Bytes Zstd(const Bytes& in) {
  Bytes out(ZSTD_compressBound(in.size()), '\0');
  out.resize(ZSTD_compress(out.data(), out.size(), in.data(), in.size(), 3));
  return out;
}

Bytes Encode(const Bytes& in, const std::string& coding) {
  if (coding == "gzip") return Zlib(in, 15 + 16);
  if (coding == "deflate") return Zlib(in, 15);
  if (coding == "raw-deflate") return Zlib(in, -15);
  if (coding == "br") return Brotli(in);
  return Zstd(in);
}

struct Decoded {
  DecodeStatus status;
  Bytes bytes;
};

// Feeds `stored` in pieces of `piece` bytes, as the body copy does with its chunks.
Decoded Decode(const Bytes& stored, const std::vector<std::string>& codings, std::size_t piece,
               std::uint64_t limit = UINT64_MAX) {
  Decoded result{DecodeStatus::kOk, {}};
  ContentDecoder decoder(codings, limit, [&](const unsigned char* data, std::size_t size) {
    result.bytes.append(reinterpret_cast<const char*>(data), size);
    return true;
  });
  for (std::size_t at = 0; at < stored.size(); at += piece) {
    const Bytes part = stored.substr(at, piece);
    if (!decoder.Feed(reinterpret_cast<const unsigned char*>(part.data()), part.size())) break;
  }
  decoder.Finish();
  result.status = decoder.status();
  return result;
}

// A body much larger than one output chunk, half random (incompressible), half text.
Bytes Body() {
  std::mt19937 random(7);
  Bytes body;
  for (int i = 0; i < 300000; ++i) body += static_cast<char>(random() & 0xFF);
  for (int i = 0; i < 20000; ++i) body += "line " + std::to_string(i) + " of the page\n";
  return body;
}

TEST(ContentDecoder, UndoesEveryCodingAndTheirSequencesInAnyPieces) {
  const Bytes body = Body();
  const std::vector<std::vector<std::string>> chains{
      {"gzip"}, {"deflate"}, {"br"}, {"zstd"}, {"gzip", "br"}, {"zstd", "deflate", "gzip"}};
  for (const auto& chain : chains) {
    Bytes stored = body;
    for (const std::string& coding : chain) stored = Encode(stored, coding);
    for (std::size_t piece : {std::size_t{1} << 16, std::size_t{7}, stored.size()}) {
      if (piece == 7 && chain.size() > 1) continue;  // a byte-wise feed of a chain is slow
      const Decoded decoded = Decode(stored, chain, piece);
      EXPECT_EQ(decoded.status, DecodeStatus::kOk) << chain.size() << " codings, piece " << piece;
      EXPECT_TRUE(decoded.bytes == body) << chain.front() << ", piece " << piece;
    }
  }
}

TEST(ContentDecoder, TakesTheFormsServersSend) {
  const Bytes body = "<html>hello</html>";
  EXPECT_EQ(Decode(Encode(body, "raw-deflate"), {"deflate"}, 4).bytes, body);
  EXPECT_EQ(Decode(Encode(body, "gzip") + Encode(body, "gzip"), {"x-gzip"}, 5).bytes, body + body);
  EXPECT_EQ(Decode(Encode(body, "gzip") + "junk", {"GZIP"}, 64).bytes, body);
  EXPECT_EQ(Decode(Encode(body, "zstd") + Encode(body, "zstd"), {"zstd"}, 3).bytes, body + body);
  EXPECT_EQ(Decode("", {"gzip", "br"}, 1).status, DecodeStatus::kOk);
  EXPECT_EQ(Decode(body, {}, 3).bytes, body);
}

TEST(ContentDecoder, RefusesWhatCannotBeDecodedWhole) {
  const Bytes body = Body();
  for (const std::string coding : {"gzip", "deflate", "br", "zstd"}) {
    const Bytes stored = Encode(body, coding);
    EXPECT_EQ(Decode(stored.substr(0, stored.size() - 9), {coding}, 4096).status,
              DecodeStatus::kCorrupt)
        << coding << " cut short";
    Bytes damaged = stored;
    for (std::size_t i = 0; i < 64; ++i) damaged[i + 2] = static_cast<char>(~damaged[i + 2]);
    EXPECT_NE(Decode(damaged, {coding}, 4096).status, DecodeStatus::kOk) << coding << " damaged";
  }
  EXPECT_EQ(Decode("abc", {"compress"}, 4).status, DecodeStatus::kUnknown);
}

TEST(ContentDecoder, StopsABombAtTheBound) {
  const Bytes zeros(4 << 20, '\0');
  for (const std::string coding : {"gzip", "br", "zstd"}) {
    const Decoded decoded = Decode(Encode(zeros, coding), {coding}, 1 << 16, 1 << 20);
    EXPECT_EQ(decoded.status, DecodeStatus::kTooLarge) << coding;
    EXPECT_LE(decoded.bytes.size(), 1u << 20) << coding;
  }
  // A gzip bomb expands about a thousand times: one of 1 MiB does not pass.
  EXPECT_LT(DecodedSizeLimit(1 << 20), std::uint64_t{1000} << 20);
}

}  // namespace
}  // namespace murel

#include "export/content_decoder.h"

#include <brotli/encode.h>
#include <gtest/gtest.h>
#include <zstd.h>

#include <random>
#include <string>
#include <vector>

#include "support/deflated.h"

namespace murel {
namespace {

using Bytes = std::string;

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
  if (coding == "gzip") return Deflated(in, 15 + 16);
  if (coding == "deflate") return Deflated(in, 15);
  if (coding == "raw-deflate") return Deflated(in, -15);
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
  // The first byte alone does not tell zlib-wrapped deflate from raw.
  EXPECT_EQ(Decode(Encode(body, "deflate"), {"deflate"}, 1).bytes, body);
  EXPECT_EQ(Decode(Encode(body, "raw-deflate"), {"deflate"}, 1).bytes, body);
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
  // zstd as an HTTP coding keeps its window within 8 MiB, and browsers refuse a larger one.
  const Bytes large(9 << 20, 'z');
  ZSTD_CCtx* context = ZSTD_createCCtx();
  ZSTD_CCtx_setParameter(context, ZSTD_c_windowLog, 24);
  Bytes wide(ZSTD_compressBound(large.size()), '\0');
  wide.resize(ZSTD_compress2(context, wide.data(), wide.size(), large.data(), large.size()));
  ZSTD_freeCCtx(context);
  EXPECT_EQ(Decode(wide, {"zstd"}, 1 << 16).status, DecodeStatus::kCorrupt);
}

// Browsers pass a label they do not know over, and serve the body as stored.
TEST(ContentDecoder, PassesUnknownLabelsOver) {
  const Bytes body = "<html>as stored</html>";
  for (const std::string label : {"UTF-8", "none", "identity", "compress", "gzip;q=1"}) {
    const Decoded decoded = Decode(body, {label}, 5);
    EXPECT_EQ(decoded.status, DecodeStatus::kOk) << label;
    EXPECT_EQ(decoded.bytes, body) << label;
  }
  EXPECT_EQ(Decode(Encode(body, "gzip"), {"gzip", "utf-8"}, 5).bytes, body);
  EXPECT_EQ(Decode(Encode(body, "deflate"), {"X-Deflate"}, 5).bytes, body);
  // A known coding whose data is damaged still fails.
  EXPECT_EQ(Decode(body, {"none", "gzip"}, 5).status, DecodeStatus::kCorrupt);
}

// A stream that ends exactly as an output chunk fills, alone or followed by another.
TEST(ContentDecoder, TakesStreamsEndingOnAChunkBoundary) {
  std::mt19937 random(3);
  for (const std::size_t size :
       {std::size_t{1} << 16, std::size_t{2} << 16, std::size_t{1} << 20}) {
    Bytes body;
    while (body.size() < size) body += "item " + std::to_string(random() % 5000) + ",";
    body.resize(size);
    for (const std::string coding : {"gzip", "deflate", "raw-deflate", "br", "zstd"}) {
      const std::string label = coding == "raw-deflate" ? "deflate" : coding;
      const Bytes once = Encode(body, coding);
      // gzip members and zstd frames may follow one another.
      const bool repeats = coding == "gzip" || coding == "zstd";
      const Bytes stored = repeats ? once + once : once;
      for (const std::size_t piece : {std::size_t{1} << 16, std::size_t{4093}, stored.size()}) {
        const Decoded decoded = Decode(stored, {label}, piece);
        EXPECT_EQ(decoded.status, DecodeStatus::kOk) << coding << " " << size << " " << piece;
        EXPECT_TRUE(decoded.bytes == (repeats ? body + body : body)) << coding << " " << size;
      }
    }
  }
}

TEST(ContentDecoder, UndoesNestedCodingsUpToTheCapAndRefusesMore) {
  const Bytes body = "nested";
  Bytes stored = body;
  std::vector<std::string> codings;
  for (std::size_t i = 0; i < kMaxContentCodings; ++i) {
    codings.push_back(i % 2 == 0 ? "gzip" : "deflate");
    stored = Encode(stored, codings.back());
  }
  EXPECT_EQ(Decode(stored, codings, 64).bytes, body);
  // One more known coding fails before any byte goes out; unknown labels do not count.
  codings.push_back("utf-8");
  EXPECT_EQ(Decode(stored, codings, 64).bytes, body);
  codings.push_back("gzip");
  const Decoded refused = Decode(Encode(stored, "gzip"), codings, 64);
  EXPECT_EQ(refused.status, DecodeStatus::kTooManyCodings);
  EXPECT_EQ(refused.bytes, "");
  // Hundreds of layers, each of which really is gzip: refused, and no stack overflow.
  Bytes deep = body;
  for (int i = 0; i < 300; ++i) deep = Encode(deep, "gzip");
  EXPECT_EQ(Decode(deep, std::vector<std::string>(300, "gzip"), 1 << 16).status,
            DecodeStatus::kTooManyCodings);
}

// Each stage's output counts against the bound, not only the last one's.
TEST(ContentDecoder, StopsABombBetweenStages) {
  // Empty gzip members decode to nothing: 4 MiB of them between stages, none at the end.
  Bytes members = Encode("", "gzip");
  while (members.size() < (std::size_t{4} << 20)) members += members;
  for (const std::string outer : {"gzip", "br", "zstd"}) {
    const Decoded decoded = Decode(Encode(members, outer), {"gzip", outer}, 1 << 16, 1 << 20);
    EXPECT_EQ(decoded.status, DecodeStatus::kTooLarge) << outer;
  }
  EXPECT_EQ(Decode(Encode(members, "gzip"), {"gzip", "gzip"}, 1 << 16, 8 << 20).status,
            DecodeStatus::kOk);
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

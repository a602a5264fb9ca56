// Runs the content decoder over fuzzed stored bytes under a fuzzed chain of codings, fed in
// fuzzed pieces, and checks that it never hands on more than its bound and that a decoding it
// calls complete really ended.
//
// Input: byte 0 is the number of codings (up to 15, past the decoder's cap), the next bytes pick
// them in the order applied (two bits each, four a byte: gzip, deflate, br, zstd), the byte after
// them the piece size; the rest is the stored body.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "export/content_decoder.h"
#include "fuzz_check.h"

namespace {

// Small enough that a bomb in the input reaches it quickly.
constexpr std::uint64_t kLimit = std::uint64_t{1} << 20;

// The codings that `count` picks, two bits each, name.
std::vector<std::string> Codings(std::size_t count, const std::uint8_t* picks) {
  static const char* const kNames[] = {"gzip", "deflate", "br", "zstd"};
  std::vector<std::string> codings;
  for (std::size_t i = 0; i < count; ++i) {
    codings.push_back(kNames[(picks[i / 4] >> (2 * (i % 4))) & 3]);
  }
  return codings;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::size_t count = data[0] % 16;
  const std::size_t header = 1 + (count + 3) / 4 + 1;
  if (size < header) return 0;
  const std::vector<std::string> codings = Codings(count, data + 1);
  const std::size_t piece = 1 + data[header - 1] % 97 * 64;
  std::uint64_t delivered = 0;
  murel::ContentDecoder decoder(codings, kLimit,
                                [&delivered](const unsigned char*, std::size_t got) {
                                  delivered += got;
                                  return true;
                                });
  bool fed = true;
  for (std::size_t at = header; at < size && fed; at += piece) {
    fed = decoder.Feed(data + at, std::min(piece, size - at));
  }
  const bool finished = fed && decoder.Finish();
  murel::FuzzCheck(delivered <= kLimit, "more than the bound was handed on");
  murel::FuzzCheck(finished == (decoder.status() == murel::DecodeStatus::kOk),
                   "the status disagrees with the outcome");
  return 0;
}

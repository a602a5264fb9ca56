// Runs the content decoder over fuzzed stored bytes under a fuzzed chain of codings, fed in
// fuzzed pieces, and checks that it never hands on more than its bound and that a decoding it
// calls complete really ended.
//
// Input: byte 0 picks up to three codings (two bits each: gzip, deflate, br, zstd), byte 1 the
// piece size, the rest is the stored body.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "export/content_decoder.h"
#include "fuzz_check.h"

namespace {

// Small enough that a bomb in the input reaches it quickly.
constexpr std::uint64_t kLimit = std::uint64_t{1} << 20;

std::vector<std::string> Codings(std::uint8_t pick) {
  static const char* const kNames[] = {"gzip", "deflate", "br", "zstd"};
  std::vector<std::string> codings;
  const int count = 1 + (pick >> 6) % 3;
  for (int i = 0; i < count; ++i) codings.push_back(kNames[(pick >> (2 * i)) & 3]);
  return codings;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::vector<std::string> codings = Codings(data[0]);
  const std::size_t piece = 1 + data[1] % 97 * 64;
  std::uint64_t delivered = 0;
  murel::ContentDecoder decoder(codings, kLimit,
                                [&delivered](const unsigned char*, std::size_t got) {
                                  delivered += got;
                                  return true;
                                });
  bool fed = true;
  for (std::size_t at = 2; at < size && fed; at += piece) {
    fed = decoder.Feed(data + at, std::min(piece, size - at));
  }
  const bool finished = fed && decoder.Finish();
  murel::FuzzCheck(delivered <= kLimit, "more than the bound was handed on");
  murel::FuzzCheck(finished == (decoder.status() == murel::DecodeStatus::kOk),
                   "the status disagrees with the outcome");
  return 0;
}

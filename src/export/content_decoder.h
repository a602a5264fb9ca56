// Undoing the content codings of a stored body as it streams through, in bounded memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace murel {

/// Receives the decoded bytes in order; false stops the decoding (the sink failed).
using ByteSink = std::function<bool(const unsigned char* data, std::size_t size)>;

/// How a decoding ended, or why it stopped.
enum class DecodeStatus {
  kOk,              ///< Every coding was undone and the decoded body reached the sink whole.
  kTooManyCodings,  ///< More codings to undo than kMaxContentCodings.
  kNotInBuild,      ///< A known coding (br, zstd) that this build has no decoder for.
  kCorrupt,         ///< The stored bytes are no valid stream of their coding, or end early.
  kTooLarge,        ///< A stage's output passed the bound against decompression bombs.
  kSinkFailed,      ///< The sink refused bytes.
};

/// The most codings one body may need undone. Servers apply one, now and then two (a compressed
/// file compressed again); Firefox stops after 16 labels. Each stage holds a buffer and its
/// decoder's window (up to 16 MiB for br, 8 MiB for zstd) and may produce up to the size bound,
/// so their number bounds a body's memory and work.
constexpr std::size_t kMaxContentCodings = 8;

/// The most decoded bytes taken from a body of `storedSize` bytes: 32 MiB plus 100 times the
/// stored size. Real content compresses to between a half and a twentieth of its size, rarely a
/// fiftieth; a decompression bomb expands a thousand times (gzip) and far more (brotli, zstd).
std::uint64_t DecodedSizeLimit(std::uint64_t storedSize);

/// True when this build undoes the content coding `coding` (a name as ContentDecoder takes it);
/// false for br and zstd in a build without their library, and for a coding murel does not know.
bool CanUndoCoding(const std::string& coding);

/// Decodes a body whose content codings are `encodings` (in the order the server applied them:
/// "gzip", "x-gzip", "deflate" or "x-deflate" (zlib-wrapped or raw), "br", "zstd"; the last
/// applied is undone first) and hands the decoded bytes to a sink. Any other label ("identity",
/// "none", "UTF-8") is passed over, as browsers do: a body with no known coding reaches the sink as
/// stored. Memory and stack stay bounded whatever the body's size and the number of codings.
class ContentDecoder {
 public:
  /// A decoder that passes at most `limit` decoded bytes to `sink`, and whose every stage stops
  /// at `limit` bytes of output (a bomb between stages is stopped as early as one at the end).
  /// Fails at once (kTooManyCodings) when `encodings` holds more than kMaxContentCodings known
  /// codings.
  ContentDecoder(const std::vector<std::string>& encodings, std::uint64_t limit, ByteSink sink);
  ~ContentDecoder();
  ContentDecoder(const ContentDecoder&) = delete;
  ContentDecoder& operator=(const ContentDecoder&) = delete;

  /// The status so far: kOk until something went wrong.
  DecodeStatus status() const { return status_; }

  /// Takes the next `size` stored bytes. False once the decoding has failed (see status()).
  bool Feed(const unsigned char* data, std::size_t size);

  /// Ends the stored bytes: every coding's stream must be complete. False on failure.
  bool Finish();

  class Stage;

 private:
  /// Moves `size` stored bytes through every stage to the sink, until all are used and no stage
  /// has more to hand on. A loop over the stages, not a recursion.
  DecodeStatus Pump(const unsigned char* data, std::size_t size);

  /// Hands the last stage's output (or the stored bytes, with no stage) to the sink.
  DecodeStatus Deliver(const unsigned char* data, std::size_t size);

  DecodeStatus status_ = DecodeStatus::kOk;
  std::uint64_t limit_;
  std::uint64_t delivered_ = 0;
  ByteSink sink_;
  /// stages_[0] takes the stored bytes; each stage feeds the next; the last feeds the sink.
  std::vector<std::unique_ptr<Stage>> stages_;
};

}  // namespace murel

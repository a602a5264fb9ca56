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
  kOk,          ///< Every coding was undone and the decoded body reached the sink whole.
  kUnknown,     ///< A coding that is no HTTP content coding murel knows.
  kNotInBuild,  ///< A known coding (br, zstd) that this build has no decoder for.
  kCorrupt,     ///< The stored bytes are no valid stream of their coding, or end early.
  kTooLarge,    ///< The decoded body passed the bound against decompression bombs.
  kSinkFailed,  ///< The sink refused bytes.
};

/// The most decoded bytes taken from a body of `storedSize` bytes: 32 MiB plus 100 times the
/// stored size. Real content compresses to between a half and a twentieth of its size, rarely a
/// fiftieth; a decompression bomb expands a thousand times (gzip) and far more (brotli, zstd).
std::uint64_t DecodedSizeLimit(std::uint64_t storedSize);

/// True when this build undoes the content coding `coding` (a name as ContentDecoder takes it);
/// false for br and zstd in a build without their library, and for a coding murel does not know.
bool CanUndoCoding(const std::string& coding);

/// Decodes a body whose content codings are `encodings` (in the order the server applied them:
/// "gzip", "x-gzip", "deflate" (zlib-wrapped or raw), "br", "zstd"; the last applied is undone
/// first) and hands the decoded bytes to a sink. Memory stays bounded whatever the body's size.
class ContentDecoder {
 public:
  /// A decoder that passes at most `limit` decoded bytes to `sink`.
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
  DecodeStatus status_ = DecodeStatus::kOk;
  std::uint64_t limit_;
  std::uint64_t delivered_ = 0;
  ByteSink sink_;
  /// stages_[0] takes the stored bytes; each stage feeds the next; the last feeds the sink.
  std::vector<std::unique_ptr<Stage>> stages_;
};

}  // namespace murel

#include "export/content_decoder.h"

#include <zlib.h>

#include <array>
#include <cctype>

#if MUREL_HAVE_BROTLI
#include <brotli/decode.h>
#endif
#if MUREL_HAVE_ZSTD
#include <zstd.h>
#endif

namespace murel {
namespace {

// Decoded bytes go on in pieces of this size, so memory stays the same for any body.
constexpr std::size_t kOutputChunk = std::size_t{1} << 16;

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

/// Hands one stage's output on: to the next stage, or to the sink.
using StageOutput = std::function<DecodeStatus(const unsigned char* data, std::size_t size)>;

/// One content coding undone.
class ContentDecoder::Stage {
 public:
  virtual ~Stage() = default;
  /// Decodes `size` more input bytes, handing the output to `out`.
  virtual DecodeStatus Feed(const unsigned char* data, std::size_t size,
                            const StageOutput& out) = 0;
  /// The input has ended: kOk only when the coding's stream is complete (or there was no input).
  virtual DecodeStatus Finish(const StageOutput& out) = 0;
};

namespace {

using Stage = ContentDecoder::Stage;

// gzip (one member or several in a row) and deflate, which servers send zlib-wrapped or raw; the
// first two bytes tell which.
class ZlibStage : public Stage {
 public:
  explicit ZlibStage(bool gzip) : gzip_(gzip) {}
  ~ZlibStage() override {
    if (started_) inflateEnd(&stream_);
  }
  ZlibStage(const ZlibStage&) = delete;
  ZlibStage& operator=(const ZlibStage&) = delete;

  DecodeStatus Feed(const unsigned char* data, std::size_t size, const StageOutput& out) override {
    if (size == 0) return DecodeStatus::kOk;
    if (!started_ && !Start(data, size)) return DecodeStatus::kCorrupt;
    return Inflate(data, size, out);
  }

  DecodeStatus Finish(const StageOutput& /*out*/) override {
    return !started_ || ended_ || betweenMembers_ ? DecodeStatus::kOk : DecodeStatus::kCorrupt;
  }

 private:
  // A zlib header is a deflate method byte whose 16-bit pair divides by 31; one byte alone is
  // taken as raw deflate.
  static bool HasZlibHeader(const unsigned char* data, std::size_t size) {
    return size >= 2 && (data[0] & 0x0F) == 8 && (data[0] * 256 + data[1]) % 31 == 0;
  }

  bool Start(const unsigned char* data, std::size_t size) {
    const int window = gzip_ ? 15 + 16 : HasZlibHeader(data, size) ? 15 : -15;
    started_ = inflateInit2(&stream_, window) == Z_OK;
    return started_;
  }

  DecodeStatus Inflate(const unsigned char* data, std::size_t size, const StageOutput& out) {
    std::array<unsigned char, kOutputChunk> buffer;
    stream_.next_in = const_cast<unsigned char*>(data);
    stream_.avail_in = static_cast<uInt>(size);
    while (!ended_) {
      if (betweenMembers_ && !NextMember()) break;
      stream_.next_out = buffer.data();
      stream_.avail_out = static_cast<uInt>(buffer.size());
      const int result = inflate(&stream_, Z_NO_FLUSH);
      if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR) {
        return DecodeStatus::kCorrupt;
      }
      const std::size_t produced = buffer.size() - stream_.avail_out;
      if (produced > 0) {
        const DecodeStatus status = out(buffer.data(), produced);
        if (status != DecodeStatus::kOk) return status;
      }
      if (result == Z_STREAM_END) {
        // Another gzip member may follow; anything else after the end is passed over, as
        // browsers do.
        betweenMembers_ = gzip_;
        ended_ = !gzip_;
      }
      // A full buffer may leave output inside zlib: inflate again even without input.
      if (stream_.avail_in == 0 && stream_.avail_out != 0) break;
      if (result == Z_BUF_ERROR && produced == 0) break;
    }
    return DecodeStatus::kOk;
  }

  // Between gzip members: the next byte tells whether another member begins. False while no
  // byte is there yet, or when the stream has ended.
  bool NextMember() {
    if (stream_.avail_in == 0) return false;
    betweenMembers_ = false;
    ended_ = stream_.next_in[0] != 0x1F || inflateReset(&stream_) != Z_OK;
    return !ended_;
  }

  bool gzip_;
  bool started_ = false;
  bool ended_ = false;
  bool betweenMembers_ = false;
  z_stream stream_{};
};

#if MUREL_HAVE_BROTLI
class BrotliStage : public Stage {
 public:
  BrotliStage() : state_(BrotliDecoderCreateInstance(nullptr, nullptr, nullptr)) {}
  ~BrotliStage() override { BrotliDecoderDestroyInstance(state_); }
  BrotliStage(const BrotliStage&) = delete;
  BrotliStage& operator=(const BrotliStage&) = delete;

  DecodeStatus Feed(const unsigned char* data, std::size_t size, const StageOutput& out) override {
    if (state_ == nullptr) return DecodeStatus::kCorrupt;
    fed_ = fed_ || size > 0;
    std::size_t available = size;
    const std::uint8_t* next = data;
    std::array<unsigned char, kOutputChunk> buffer;
    while (!ended_) {
      std::size_t room = buffer.size();
      std::uint8_t* write = buffer.data();
      const BrotliDecoderResult result =
          BrotliDecoderDecompressStream(state_, &available, &next, &room, &write, nullptr);
      if (result == BROTLI_DECODER_RESULT_ERROR) return DecodeStatus::kCorrupt;
      const std::size_t produced = buffer.size() - room;
      if (produced > 0) {
        const DecodeStatus status = out(buffer.data(), produced);
        if (status != DecodeStatus::kOk) return status;
      }
      ended_ = result == BROTLI_DECODER_RESULT_SUCCESS;
      if (result == BROTLI_DECODER_RESULT_NEEDS_MORE_INPUT) break;
    }
    return DecodeStatus::kOk;
  }

  DecodeStatus Finish(const StageOutput& /*out*/) override {
    return !fed_ || ended_ ? DecodeStatus::kOk : DecodeStatus::kCorrupt;
  }

 private:
  BrotliDecoderState* state_;
  bool fed_ = false;
  bool ended_ = false;
};
#endif

#if MUREL_HAVE_ZSTD
// One frame or several in a row; the stream is complete when its last frame is.
class ZstdStage : public Stage {
 public:
  ZstdStage() : stream_(ZSTD_createDStream()) {}
  ~ZstdStage() override { ZSTD_freeDStream(stream_); }
  ZstdStage(const ZstdStage&) = delete;
  ZstdStage& operator=(const ZstdStage&) = delete;

  DecodeStatus Feed(const unsigned char* data, std::size_t size, const StageOutput& out) override {
    if (stream_ == nullptr) return DecodeStatus::kCorrupt;
    fed_ = fed_ || size > 0;
    ZSTD_inBuffer input{data, size, 0};
    std::array<unsigned char, kOutputChunk> buffer;
    for (bool full = true; input.pos < input.size || full;) {
      ZSTD_outBuffer output{buffer.data(), buffer.size(), 0};
      const std::size_t result = ZSTD_decompressStream(stream_, &output, &input);
      if (ZSTD_isError(result) != 0) return DecodeStatus::kCorrupt;
      frameDone_ = result == 0;
      if (output.pos > 0) {
        const DecodeStatus status = out(buffer.data(), output.pos);
        if (status != DecodeStatus::kOk) return status;
      }
      // A full output buffer may leave decoded bytes inside the decoder: ask again.
      full = output.pos == output.size;
    }
    return DecodeStatus::kOk;
  }

  DecodeStatus Finish(const StageOutput& /*out*/) override {
    return !fed_ || frameDone_ ? DecodeStatus::kOk : DecodeStatus::kCorrupt;
  }

 private:
  ZSTD_DStream* stream_;
  bool fed_ = false;
  bool frameDone_ = false;
};
#endif

// The stage that undoes `coding`, or why there is none.
DecodeStatus MakeStage(const std::string& coding, std::unique_ptr<Stage>& stage) {
  const std::string name = Lower(coding);
  if (name == "gzip" || name == "x-gzip") {
    stage = std::make_unique<ZlibStage>(true);
  } else if (name == "deflate") {
    stage = std::make_unique<ZlibStage>(false);
  } else if (name == "br") {
#if MUREL_HAVE_BROTLI
    stage = std::make_unique<BrotliStage>();
#else
    return DecodeStatus::kNotInBuild;
#endif
  } else if (name == "zstd") {
#if MUREL_HAVE_ZSTD
    stage = std::make_unique<ZstdStage>();
#else
    return DecodeStatus::kNotInBuild;
#endif
  } else {
    return DecodeStatus::kUnknown;
  }
  return DecodeStatus::kOk;
}

// The output of stage `index`: the next stage's input, or the sink behind the bound.
StageOutput OutputOf(std::size_t index, const std::vector<std::unique_ptr<Stage>>& stages,
                     std::uint64_t& delivered, std::uint64_t limit, const ByteSink& sink) {
  if (index + 1 < stages.size()) {
    return [&stages, &delivered, limit, &sink, index](const unsigned char* data, std::size_t size) {
      return stages[index + 1]->Feed(data, size,
                                     OutputOf(index + 1, stages, delivered, limit, sink));
    };
  }
  return [&delivered, limit, &sink](const unsigned char* data, std::size_t size) {
    if (size > limit - delivered) return DecodeStatus::kTooLarge;
    delivered += size;
    return sink(data, size) ? DecodeStatus::kOk : DecodeStatus::kSinkFailed;
  };
}

}  // namespace

std::uint64_t DecodedSizeLimit(std::uint64_t storedSize) {
  constexpr std::uint64_t kFloor = std::uint64_t{32} << 20;
  constexpr std::uint64_t kRatio = 100;
  if (storedSize > (UINT64_MAX - kFloor) / kRatio) return UINT64_MAX;
  return kFloor + kRatio * storedSize;
}

bool CanUndoCoding(const std::string& coding) {
  std::unique_ptr<Stage> stage;
  return MakeStage(coding, stage) == DecodeStatus::kOk;
}

ContentDecoder::ContentDecoder(const std::vector<std::string>& encodings, std::uint64_t limit,
                               ByteSink sink)
    : limit_(limit), sink_(std::move(sink)) {
  // The last coding applied is the first undone.
  for (auto coding = encodings.rbegin(); coding != encodings.rend(); ++coding) {
    std::unique_ptr<Stage> stage;
    status_ = MakeStage(*coding, stage);
    if (status_ != DecodeStatus::kOk) return;
    stages_.push_back(std::move(stage));
  }
}

ContentDecoder::~ContentDecoder() = default;

bool ContentDecoder::Feed(const unsigned char* data, std::size_t size) {
  if (status_ != DecodeStatus::kOk) return false;
  if (stages_.empty()) {
    status_ = OutputOf(0, stages_, delivered_, limit_, sink_)(data, size);
  } else {
    status_ = stages_[0]->Feed(data, size, OutputOf(0, stages_, delivered_, limit_, sink_));
  }
  return status_ == DecodeStatus::kOk;
}

bool ContentDecoder::Finish() {
  for (std::size_t i = 0; i < stages_.size() && status_ == DecodeStatus::kOk; ++i) {
    status_ = stages_[i]->Finish(OutputOf(i, stages_, delivered_, limit_, sink_));
  }
  return status_ == DecodeStatus::kOk;
}

}  // namespace murel

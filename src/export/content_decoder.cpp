#include "export/content_decoder.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <climits>

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

// Bytes not used yet: what is left of a stage's input, or of its output not handed on.
struct Span {
  const unsigned char* data = nullptr;
  std::size_t size = 0;

  void Skip(std::size_t count) {
    data += count;
    size -= count;
  }
};

}  // namespace

/// One content coding undone, with its output buffer on the heap: the stack does not grow with
/// the number of stages.
class ContentDecoder::Stage {
 public:
  Stage() : buffer_(new unsigned char[kOutputChunk]) {}
  virtual ~Stage() = default;
  Stage(const Stage&) = delete;
  Stage& operator=(const Stage&) = delete;

  /// Decodes from `input` until some output is made or `input` is used up (also when it is
  /// empty: a full buffer may have left output inside the decoder). The output is then in
  /// `output`; empty output means all of `input` was used. kTooLarge once everything this stage
  /// made passes `limit`.
  DecodeStatus Step(Span& input, std::uint64_t limit);

  /// The input has ended: whether the coding's stream was complete (or there was no input).
  bool Complete() const { return !fed_ || Ended(); }

  Span output;  ///< Output not handed on yet; the stage runs again only once it is empty.

 protected:
  /// One call of the decoding library: takes what it uses off the front of `input` and writes
  /// `produced` bytes (at most `room`) to `out`. Once the stream has ended, takes all input
  /// unread: what follows a stream's end is passed over, as browsers do.
  virtual DecodeStatus Decode(Span& input, unsigned char* out, std::size_t room,
                              std::size_t& produced) = 0;

  /// Whether the coding's stream ended with the input taken so far.
  virtual bool Ended() const = 0;

 private:
  std::unique_ptr<unsigned char[]> buffer_;
  std::uint64_t made_ = 0;
  bool fed_ = false;
};

DecodeStatus ContentDecoder::Stage::Step(Span& input, std::uint64_t limit) {
  fed_ = fed_ || input.size > 0;
  std::size_t produced = 0;
  for (;;) {
    const std::size_t before = input.size;
    const DecodeStatus status = Decode(input, buffer_.get(), kOutputChunk, produced);
    if (status != DecodeStatus::kOk) return status;
    if (produced > 0 || input.size == 0) break;
    // Input that the decoder neither takes nor turns into output would be asked for forever.
    if (input.size == before) return DecodeStatus::kCorrupt;
  }
  if (produced > limit - made_) return DecodeStatus::kTooLarge;
  made_ += produced;
  output = {buffer_.get(), produced};
  return DecodeStatus::kOk;
}

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

 protected:
  DecodeStatus Decode(Span& input, unsigned char* out, std::size_t room,
                      std::size_t& produced) override {
    produced = 0;
    if (!started_) {
      // The first two bytes tell zlib-wrapped deflate from raw: the first waits for the second.
      for (; headSize_ < sizeof head_ && input.size > 0; input.Skip(1)) {
        head_[headSize_++] = input.data[0];
      }
      if (headSize_ < sizeof head_) return DecodeStatus::kOk;
      if (!Start()) return DecodeStatus::kCorrupt;
      Span head{head_, headSize_};
      const DecodeStatus status = Inflate(head, out, room, produced);
      if (status != DecodeStatus::kOk) return status;
    }
    if (ended_) input.Skip(input.size);
    if (betweenMembers_ && !NextMember(input)) return DecodeStatus::kOk;
    return Inflate(input, out + produced, room - produced, produced);
  }

  bool Ended() const override { return ended_ || betweenMembers_; }

 private:
  // A zlib header is a deflate method byte whose 16-bit pair divides by 31.
  bool HasZlibHeader() const {
    return (head_[0] & 0x0F) == 8 && (head_[0] * 256 + head_[1]) % 31 == 0;
  }

  bool Start() {
    const int window = gzip_ ? 15 + 16 : HasZlibHeader() ? 15 : -15;
    started_ = inflateInit2(&stream_, window) == Z_OK;
    return started_;
  }

  // Inflates from `input` into `out`, taking what it used off `input` and adding the count
  // written to `produced`.
  DecodeStatus Inflate(Span& input, unsigned char* out, std::size_t room, std::size_t& produced) {
    if (ended_ || betweenMembers_) return DecodeStatus::kOk;
    const uInt given = static_cast<uInt>(std::min<std::size_t>(input.size, UINT_MAX));
    stream_.next_in = const_cast<unsigned char*>(input.data);
    stream_.avail_in = given;
    stream_.next_out = out;
    stream_.avail_out = static_cast<uInt>(room);
    const int result = inflate(&stream_, Z_NO_FLUSH);
    if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR) {
      return DecodeStatus::kCorrupt;
    }
    input.Skip(given - stream_.avail_in);
    produced += room - stream_.avail_out;
    if (result == Z_STREAM_END) {
      // Another gzip member may follow; anything else after the end is passed over, as
      // browsers do.
      betweenMembers_ = gzip_;
      ended_ = !gzip_;
    }
    return DecodeStatus::kOk;
  }

  // Between gzip members: the next byte tells whether another member begins. False while no
  // byte is there yet, or when the stream has ended (the rest is then passed over).
  bool NextMember(Span& input) {
    if (input.size == 0) return false;
    betweenMembers_ = false;
    ended_ = input.data[0] != 0x1F || inflateReset(&stream_) != Z_OK;
    if (ended_) input.Skip(input.size);
    return !ended_;
  }

  bool gzip_;
  unsigned char head_[2] = {};
  std::size_t headSize_ = 0;
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

 protected:
  DecodeStatus Decode(Span& input, unsigned char* out, std::size_t room,
                      std::size_t& produced) override {
    produced = 0;
    if (state_ == nullptr) return DecodeStatus::kCorrupt;
    if (ended_) input.Skip(input.size);
    std::size_t available = input.size;
    const std::uint8_t* next = input.data;
    std::size_t left = room;
    std::uint8_t* write = out;
    const BrotliDecoderResult result =
        BrotliDecoderDecompressStream(state_, &available, &next, &left, &write, nullptr);
    if (result == BROTLI_DECODER_RESULT_ERROR) return DecodeStatus::kCorrupt;
    input.Skip(input.size - available);
    produced = room - left;
    ended_ = result == BROTLI_DECODER_RESULT_SUCCESS;
    return DecodeStatus::kOk;
  }

  bool Ended() const override { return ended_; }

 private:
  BrotliDecoderState* state_;
  bool ended_ = false;
};
#endif

#if MUREL_HAVE_ZSTD
// One frame or several in a row; the stream is complete when its last frame is.
class ZstdStage : public Stage {
 public:
  ZstdStage() : stream_(ZSTD_createDStream()) {
    // Zstd as an HTTP coding keeps its window within 8 MiB, and browsers refuse larger ones:
    // a crafted frame cannot make each stage hold 128 MiB.
    if (stream_ != nullptr) ZSTD_DCtx_setParameter(stream_, ZSTD_d_windowLogMax, 23);
  }
  ~ZstdStage() override { ZSTD_freeDStream(stream_); }

 protected:
  DecodeStatus Decode(Span& input, unsigned char* out, std::size_t room,
                      std::size_t& produced) override {
    produced = 0;
    if (stream_ == nullptr) return DecodeStatus::kCorrupt;
    ZSTD_inBuffer in{input.data, input.size, 0};
    ZSTD_outBuffer made{out, room, 0};
    const std::size_t result = ZSTD_decompressStream(stream_, &made, &in);
    if (ZSTD_isError(result) != 0) return DecodeStatus::kCorrupt;
    // A call that takes and makes nothing tells nothing: after a frame that ended exactly as
    // the buffer filled, the next call waits for another frame's header.
    if (in.pos > 0 || made.pos > 0) frameDone_ = result == 0;
    input.Skip(in.pos);
    produced = made.pos;
    return DecodeStatus::kOk;
  }

  bool Ended() const override { return frameDone_; }

 private:
  ZSTD_DStream* stream_;
  bool frameDone_ = false;
};
#endif

// The stage that undoes `coding`: none for a label browsers pass over, or kNotInBuild.
DecodeStatus MakeStage(const std::string& coding, std::unique_ptr<Stage>& stage) {
  const std::string name = Lower(coding);
  if (name == "gzip" || name == "x-gzip") {
    stage = std::make_unique<ZlibStage>(true);
  } else if (name == "deflate" || name == "x-deflate") {
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
  }
  return DecodeStatus::kOk;
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
    if (!stage) continue;
    if (stages_.size() == kMaxContentCodings) {
      status_ = DecodeStatus::kTooManyCodings;
      stages_.clear();
      return;
    }
    stages_.push_back(std::move(stage));
  }
}

ContentDecoder::~ContentDecoder() = default;

bool ContentDecoder::Feed(const unsigned char* data, std::size_t size) {
  if (status_ != DecodeStatus::kOk) return false;
  status_ = Pump(data, size);
  return status_ == DecodeStatus::kOk;
}

bool ContentDecoder::Finish() {
  for (std::size_t i = 0; i < stages_.size() && status_ == DecodeStatus::kOk; ++i) {
    if (!stages_[i]->Complete()) status_ = DecodeStatus::kCorrupt;
  }
  return status_ == DecodeStatus::kOk;
}

DecodeStatus ContentDecoder::Pump(const unsigned char* data, std::size_t size) {
  if (stages_.empty()) return Deliver(data, size);
  Span input{data, size};
  std::size_t at = 0;
  for (;;) {
    Stage& stage = *stages_[at];
    if (stage.output.size == 0) {
      const DecodeStatus status = stage.Step(at == 0 ? input : stages_[at - 1]->output, limit_);
      if (status != DecodeStatus::kOk) return status;
    }
    if (stage.output.size == 0) {
      // The stage has used up its input: the one before it may make more.
      if (at == 0) return DecodeStatus::kOk;
      --at;
    } else if (at + 1 < stages_.size()) {
      ++at;
    } else {
      const DecodeStatus status = Deliver(stage.output.data, stage.output.size);
      if (status != DecodeStatus::kOk) return status;
      stage.output = {};
    }
  }
}

DecodeStatus ContentDecoder::Deliver(const unsigned char* data, std::size_t size) {
  if (size > limit_ - delivered_) return DecodeStatus::kTooLarge;
  delivered_ += size;
  return size == 0 || sink_(data, size) ? DecodeStatus::kOk : DecodeStatus::kSinkFailed;
}

}  // namespace murel

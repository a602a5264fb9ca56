#include "cache/core/entry_url.h"

#include <utility>

namespace murel {
namespace {

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

// Whether `text` holds a control byte. Every byte is looked at, with no early end, so that the
// compiler takes many at a step: this runs on every URL, and almost none holds one.
bool HoldsControl(std::string_view text) {
  // Bytes, not bools (which GCC takes one at a time) nor ints (four lanes to the byte's one).
  unsigned char holds = 0;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    holds |= static_cast<unsigned char>((byte < 0x20) | (byte == 0x7F));
  }
  return holds != 0;
}

// Forwards a reader's entries through RefuseControlBytes.
class ControlByteRefusal : public CacheReader {
 public:
  explicit ControlByteRefusal(std::unique_ptr<CacheReader> reader) : reader_(std::move(reader)) {}

  bool Next(CacheEntry& entry) override {
    if (!reader_->Next(entry)) return false;
    RefuseControlBytes(entry);
    return true;
  }
  std::uint64_t PassedOver() const override { return reader_->PassedOver(); }
  std::optional<std::uint64_t> Total() const override { return reader_->Total(); }

 private:
  std::unique_ptr<CacheReader> reader_;
};

}  // namespace

bool HasScheme(std::string_view url) {
  if (url.empty() || !IsAsciiLetter(url[0])) return false;
  for (std::size_t i = 1; i < url.size(); ++i) {
    const char c = url[i];
    if (c == ':') return i + 1 < url.size();
    if (!IsAsciiLetter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.') {
      return false;
    }
  }
  return false;
}

void RefuseControlBytes(CacheEntry& entry) {
  if (!HoldsControl(entry.url)) return;
  std::size_t at = 0;
  while (!IsControl(entry.url[at])) ++at;
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string escaped = entry.url.substr(0, at);
  for (; at < entry.url.size(); ++at) {
    const auto c = static_cast<unsigned char>(entry.url[at]);
    if (IsControl(entry.url[at])) {
      escaped += '%';
      escaped += kHex[c >> 4];
      escaped += kHex[c & 0xF];
    } else {
      escaped += entry.url[at];
    }
  }
  entry.url = std::move(escaped);
  entry.refused = true;
}

std::unique_ptr<CacheReader> RefusingControlBytes(std::unique_ptr<CacheReader> reader) {
  if (!reader) return nullptr;
  return std::make_unique<ControlByteRefusal>(std::move(reader));
}

}  // namespace murel

// Texts for the terminal: UTF-8 passes, anything else is taken as Windows-1251.

#include "platform/posix/terminal_text.h"

#include <cstdint>

namespace murel {
namespace {

// The code points of Windows-1251 bytes 0x80 to 0xBF; bytes 0xC0 to 0xFF are U+0410 to U+044F.
constexpr std::uint16_t kUpperHalf[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 0x88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 0x98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // 0xA0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // 0xA8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // 0xB0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // 0xB8
};

std::uint32_t Cp1251CodePoint(unsigned char byte) {
  if (byte < 0x80) return byte;
  if (byte < 0xC0) return kUpperHalf[byte - 0x80];
  return 0x0410u + (byte - 0xC0u);
}

// Every code point here is below U+10000, so one to three bytes suffice.
void AppendUtf8(std::uint32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// The length of the UTF-8 sequence that starts with `lead`, 0 if no sequence starts with it.
std::size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// The allowed range of the second byte, which rules out overlong forms, surrogates and code
// points past U+10FFFF.
bool SecondByteFits(unsigned char lead, unsigned char second) {
  if (lead == 0xE0) return second >= 0xA0 && second <= 0xBF;
  if (lead == 0xED) return second >= 0x80 && second <= 0x9F;
  if (lead == 0xF0) return second >= 0x90 && second <= 0xBF;
  if (lead == 0xF4) return second >= 0x80 && second <= 0x8F;
  return second >= 0x80 && second <= 0xBF;
}

bool IsC0OrDelete(unsigned char byte) {
  return (byte < 0x20 && byte != '\n' && byte != '\t') || byte == 0x7F;
}

// The length of the sequence at `at` when it is a code point that a terminal acts on rather than
// shows, with the code point in `codePoint`; 0 for any other. These are the C1 controls (U+0080 to
// U+009F, 0xC2 0x80 to 0xC2 0x9F) and every invisible character that sets the direction of what
// follows: the Arabic letter mark (U+061C, 0xD8 0x9C), the left-to-right and right-to-left marks
// (U+200E and U+200F, 0xE2 0x80 0x8E and 0x8F), the embeddings and overrides (U+202A to U+202E,
// 0xE2 0x80 0xAA to 0xAE) and the isolates (U+2066 to U+2069, 0xE2 0x81 0xA6 to 0xA9).
std::size_t ActiveCodePointAt(const std::string& text, std::size_t at, unsigned& codePoint) {
  const auto byte = [&text, at](std::size_t k) {
    return at + k < text.size() ? static_cast<unsigned char>(text[at + k]) : 0u;
  };
  const bool c1 = byte(0) == 0xC2 && byte(1) >= 0x80 && byte(1) < 0xA0;
  if (c1 || (byte(0) == 0xD8 && byte(1) == 0x9C)) {
    codePoint = ((byte(0) & 0x1F) << 6) | (byte(1) & 0x3F);
    return 2;
  }
  const bool mark = byte(1) == 0x80 && (byte(2) == 0x8E || byte(2) == 0x8F);
  const bool embedding = byte(1) == 0x80 && byte(2) >= 0xAA && byte(2) <= 0xAE;
  const bool isolate = byte(1) == 0x81 && byte(2) >= 0xA6 && byte(2) <= 0xA9;
  if (byte(0) == 0xE2 && (mark || embedding || isolate)) {
    codePoint = 0x2000 | ((byte(1) & 0x3F) << 6) | (byte(2) & 0x3F);
    return 3;
  }
  return 0;
}

void AppendHex(unsigned value, int digits, std::string& out) {
  static constexpr char kDigits[] = "0123456789abcdef";
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out += kDigits[(value >> shift) & 0xF];
}

}  // namespace

bool IsValidUtf8(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = SequenceLength(lead);
    if (length == 0 || i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      const bool fits = k == 1 ? SecondByteFits(lead, next) : (next >= 0x80 && next <= 0xBF);
      if (!fits) return false;
    }
    i += length;
  }
  return true;
}

std::string Cp1251ToUtf8(const std::string& text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (char c : text) AppendUtf8(Cp1251CodePoint(static_cast<unsigned char>(c)), out);
  return out;
}

std::string TerminalText(const std::string& text) {
  return IsValidUtf8(text) ? text : Cp1251ToUtf8(text);
}

std::string EscapeControls(const std::string& utf8) {
  std::string out;
  unsigned codePoint = 0;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto byte = static_cast<unsigned char>(utf8[i]);
    if (IsC0OrDelete(byte)) {
      out += "\\x";
      AppendHex(byte, 2, out);
    } else if (const std::size_t length = ActiveCodePointAt(utf8, i, codePoint)) {
      out += "\\u";
      AppendHex(codePoint, 4, out);
      i += length - 1;
    } else {
      out += utf8[i];
    }
  }
  return out;
}

std::string TerminalText(const ShownText& text) {
  std::string shown;
  for (const ShownText::Piece& piece : text.Pieces()) {
    shown += piece.codePage == CodePage::kBuiltIn ? Cp1251ToUtf8(piece.bytes)
                                                  : TerminalText(piece.bytes);
  }
  return shown;
}

}  // namespace murel

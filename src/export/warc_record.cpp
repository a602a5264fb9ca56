#include "export/warc_record.h"

#include <cstdio>
#include <vector>

#include "base/ascii.h"
#include "export/sha1_digest.h"

namespace murel {
namespace {

// FILETIME counts 100-nanosecond units from 1601; this many seconds lie before 1970.
constexpr std::uint64_t kUnitsPerSecond = 10000000;
constexpr std::uint64_t kSecondsBefore1970 = 11644473600;

// The lines of `head` up to its first empty line, without their ends.
std::vector<std::string_view> HeadLines(std::string_view head) {
  std::vector<std::string_view> lines;
  while (!head.empty()) {
    const std::size_t end = head.find_first_of(std::string_view("\n\0", 2));
    std::string_view line = head.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) break;
    lines.push_back(line);
    head.remove_prefix(end == std::string_view::npos ? head.size() : end + 1);
  }
  return lines;
}

// True when `line` is the header `name` (a "Name:" line, the name without regard to case).
bool IsHeader(std::string_view line, std::string_view name) {
  const std::size_t colon = line.find(':');
  if (colon == std::string_view::npos) return false;
  std::string_view field = line.substr(0, colon);
  while (!field.empty() && (field.back() == ' ' || field.back() == '\t')) field.remove_suffix(1);
  return EqualsNoCase(field, name);
}

// Days since 1970-01-01 as a civil date (the proleptic Gregorian calendar).
void CivilDate(std::int64_t days, int& year, unsigned& month, unsigned& day) {
  days += 719468;
  const std::int64_t era = days / 146097;
  const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
  const unsigned yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const unsigned monthIndex = (5 * dayOfYear + 2) / 153;
  day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
  month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
  year = static_cast<int>(static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0));
}

}  // namespace

bool HoldsControlByte(std::string_view text) {
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 && byte != '\t') || byte == 0x7F) return true;
  }
  return false;
}

std::optional<std::string> ArchivedHttpHead(std::string_view head, std::uint64_t bodySize) {
  const std::vector<std::string_view> lines = HeadLines(head);
  if (lines.empty() || lines.front().substr(0, 5) != "HTTP/") return std::nullopt;
  std::string archived;
  for (const std::string_view line : lines) {
    if (HoldsControlByte(line)) return std::nullopt;
    if (IsHeader(line, "Transfer-Encoding") || IsHeader(line, "Content-Length")) continue;
    archived.append(line).append("\r\n");
  }
  return archived + "Content-Length: " + std::to_string(bodySize) + "\r\n\r\n";
}

std::string WarcDate(FileTime time) {
  const std::uint64_t seconds1601 = time / kUnitsPerSecond;
  // A time before 1970 (none that a cache keeps for a response) is shown as 1970's first second.
  const std::uint64_t seconds =
      seconds1601 > kSecondsBefore1970 ? seconds1601 - kSecondsBefore1970 : 0;
  int year = 1970;
  unsigned month = 1;
  unsigned day = 1;
  CivilDate(static_cast<std::int64_t>(seconds / 86400), year, month, day);
  const auto secondOfDay = static_cast<unsigned>(seconds % 86400);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02u:%02u:%02uZ", year, month, day,
                secondOfDay / 3600, secondOfDay / 60 % 60, secondOfDay % 60);
  return text;
}

std::string WarcRecordId(std::string_view name) {
  Sha1Digest digest;
  digest.Add(name.data(), name.size());
  Sha1Digest::Value bytes = digest.Finish();
  bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x50);
  bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);
  static const char kHex[] = "0123456789abcdef";
  std::string id = "<urn:uuid:";
  for (std::size_t i = 0; i < 16; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) id += '-';
    id += kHex[bytes[i] >> 4];
    id += kHex[bytes[i] & 15];
  }
  return id + ">";
}

std::string MediaTypeOfName(std::string_view name) {
  static const struct {
    const char* extension;
    const char* type;
  } kTypes[] = {
      {".htm", "text/html"},      {".html", "text/html"},        {".css", "text/css"},
      {".js", "text/javascript"}, {".json", "application/json"}, {".txt", "text/plain"},
      {".xml", "text/xml"},       {".png", "image/png"},         {".gif", "image/gif"},
      {".jpg", "image/jpeg"},     {".jpeg", "image/jpeg"},       {".ico", "image/x-icon"},
      {".svg", "image/svg+xml"},  {".webp", "image/webp"},       {".woff", "font/woff"},
      {".woff2", "font/woff2"},   {".pdf", "application/pdf"},
  };
  // WinINet names its files "name[1].ext": the extension is what follows the last dot.
  const std::size_t dot = name.rfind('.');
  const std::size_t slash = name.find_last_of("\\/");
  if (dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash)) {
    const std::string_view extension = name.substr(dot);
    for (const auto& known : kTypes) {
      if (EqualsNoCase(extension, known.extension)) return known.type;
    }
  }
  return "application/octet-stream";
}

}  // namespace murel

#include "urlcache/http_date.h"

#include <array>
#include <cctype>

namespace murel {
namespace {

constexpr std::int64_t kFileTimeOfUnixEpoch = 116444736000000000;  // 1970-01-01 in 100 ns units

bool SameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

// The value of the first "Date:" line, blanks around it left out.
std::optional<std::string_view> DateValue(std::string_view head) {
  while (!head.empty()) {
    const std::size_t end = head.find('\n');
    std::string_view line = head.substr(0, end);
    head.remove_prefix(end == std::string_view::npos ? head.size() : end + 1);
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || !SameLetters(line.substr(0, colon), "date")) continue;
    line.remove_prefix(colon + 1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.remove_suffix(1);
    return line;
  }
  return std::nullopt;
}

// The number written by `count` digits at `at`; -1 when one is no digit.
int Digits(std::string_view text, std::size_t at, std::size_t count) {
  int value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

// 1 to 12 for "Jan" to "Dec"; 0 for anything else.
int MonthOf(std::string_view name) {
  static const std::array<std::string_view, 12> kMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  for (std::size_t i = 0; i < kMonths.size(); ++i) {
    if (name == kMonths[i]) return static_cast<int>(i) + 1;
  }
  return 0;
}

// Days from 1970-01-01 to the given date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(int year, int month, int day) {
  const int y = month <= 2 ? year - 1 : year;
  const int era = y / 400;
  const int yearOfEra = y - era * 400;
  const int dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return std::int64_t{era} * 146097 + dayOfEra - 719468;
}

// "Sun, 06 Nov 1994 08:49:37 GMT": a day name, then fields at fixed places.
std::optional<std::int64_t> ParseImfDate(std::string_view text) {
  if (text.size() != 29 || text.substr(3, 2) != ", " || text[7] != ' ' || text[11] != ' ' ||
      text[16] != ' ' || text[19] != ':' || text[22] != ':' || text.substr(25) != " GMT") {
    return std::nullopt;
  }
  const int day = Digits(text, 5, 2);
  const int month = MonthOf(text.substr(8, 3));
  const int year = Digits(text, 12, 4);
  const int hour = Digits(text, 17, 2);
  const int minute = Digits(text, 20, 2);
  const int second = Digits(text, 23, 2);
  if (day < 1 || day > 31 || month == 0 || year < 1970 || hour < 0 || hour > 23 || minute < 0 ||
      minute > 59 || second < 0 || second > 60) {
    return std::nullopt;
  }
  return DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

}  // namespace

std::optional<std::int64_t> ResponseDate(std::string_view head) {
  const std::optional<std::string_view> value = DateValue(head);
  return value ? ParseImfDate(*value) : std::nullopt;
}

std::uint64_t FileTimeOfUnixSeconds(std::int64_t seconds) {
  return static_cast<std::uint64_t>(kFileTimeOfUnixEpoch + seconds * 10000000);
}

}  // namespace murel

// Reading profile (INI) text the way the Windows profile functions do. The POSIX platform reads
// its profile files through these readers as a stream, and the fake platform its in-memory ones.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/profile_lines.h"

namespace murel {

/// Follows a profile text line by line and tells which lines are entries of one section: the
/// first section of that name, matched without regard to ASCII case.
class SectionScan {
 public:
  explicit SectionScan(std::string_view section) : section_(section) {}

  /// What a line is to the section.
  enum class Line { kEntry, kOther, kEnded };

  /// Classifies the next line, trimmed of blanks: an entry of the section, any other line, or
  /// the header that ends the section (no later line is an entry then).
  Line Next(std::string_view trimmed);

 private:
  std::string section_;
  bool inside_ = false;
};

/// The entries of one section as ReadProfileSection gives them within `capacity`
/// characters: blanks around the line and its first "=" removed, in file order; each entry costs
/// its length plus one, the list one more, and the first entry that does not fit ends the list.
class SectionEntries : public ProfileLineReader {
 public:
  SectionEntries(std::string_view section, std::size_t capacity)
      : scan_(section), capacity_(capacity) {}
  bool TakeLine(std::string_view line) override;
  /// The entries kept, handed over: the reader is done with them.
  std::vector<std::string> TakeEntries() { return std::move(entries_); }

 private:
  SectionScan scan_;
  std::size_t capacity_;
  std::size_t used_ = 1;  ///< The list's closing NUL.
  std::vector<std::string> entries_;
};

/// The values of some keys of one section, each as GetPrivateProfileStringA gives it with a
/// 500-character buffer: keys without regard to ASCII case and blanks around them, the first of
/// equal keys counts, a value in a pair of equal quotes loses them, and it is cut to 499
/// characters; empty when missing. Memory is bounded by the keys, whatever the text.
class SectionValues : public ProfileLineReader {
 public:
  SectionValues(std::string_view section, const std::vector<std::string>& keys);
  bool TakeLine(std::string_view line) override;
  /// The values in the order of the keys given.
  std::vector<std::string> Values() const;

 private:
  struct Slot {
    bool found = false;
    std::string value;
  };
  SectionScan scan_;
  std::vector<std::string> folded_;    ///< The keys asked, trimmed and folded, in their order.
  std::map<std::string, Slot> slots_;  ///< One slot per distinct folded key.
  std::size_t missing_ = 0;            ///< Slots not yet found.
  std::size_t longestKey_ = 0;         ///< No longer key in the text can be one asked for.
};

/// The entries of `section` in the profile text `text` (see SectionEntries).
std::vector<std::string> ProfileSection(std::string_view text, std::string_view section,
                                        std::size_t capacity);

/// The values of `keys` in `section` of the profile text `text` (see SectionValues).
std::vector<std::string> ProfileStrings(std::string_view text, std::string_view section,
                                        const std::vector<std::string>& keys);

}  // namespace murel

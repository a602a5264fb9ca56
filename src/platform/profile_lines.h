// Splitting a profile (INI) text into lines while it is read, one line held at a time, so that a
// profile file of any size is read in memory bounded by its longest useful line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace murel {

/// The longest line a profile reader looks at. A longer line is passed over as if it were not
/// there: no header, no entry. Every profile text the program needs has far shorter lines (the
/// rule section's buffer holds 1,000,000 characters), and the bound caps the memory of a pass.
inline constexpr std::size_t kLongestProfileLine = std::size_t{4} << 20;

/// What one pass over a profile text keeps.
class ProfileLineReader {
 public:
  virtual ~ProfileLineReader() = default;
  /// Takes the next line, without its "\n". False when no later line can change what the
  /// reader keeps, so the pass may stop.
  virtual bool TakeLine(std::string_view line) = 0;
};

/// Cuts a profile text, given in chunks of any size, into lines for `reader`.
class ProfileLineSplitter {
 public:
  explicit ProfileLineSplitter(ProfileLineReader& reader) : reader_(reader) {}

  /// Takes the next chunk of the text. False once the reader wants no further line.
  bool Feed(std::string_view chunk);

  /// Ends the text: a last line without "\n" goes to the reader.
  void Finish();

 private:
  void Append(std::string_view piece);
  bool EndLine(std::string_view line);

  ProfileLineReader& reader_;
  std::string line_;       ///< The start of a line that the previous chunks left unfinished.
  bool overlong_ = false;  ///< The unfinished line has passed kLongestProfileLine.
};

/// Gives the whole text `text` to `reader`, line by line.
void ReadProfileText(std::string_view text, ProfileLineReader& reader);

}  // namespace murel

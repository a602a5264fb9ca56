// What the user sees of a run: message boxes, the progress line on a terminal, the language of the
// texts and the form in which paths are shown.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace murel {

/// The code page of the bytes of a piece of text that the user is shown.
enum class CodePage {
  kSystem,   ///< The system's own (ANSI) code page: paths, texts from the language file.
  kBuiltIn,  ///< Windows-1251, the code page of the program's built-in texts.
};

/// A text shown to the user, made of pieces whose bytes may be in different code pages, so that
/// each piece reaches the screen readable whatever the system's code page is.
class ShownText {
 public:
  /// A piece of text and the code page of its bytes.
  struct Piece {
    std::string bytes;
    CodePage codePage;
  };

  ShownText() = default;
  /// A text in the system's code page.
  ShownText(std::string bytes) { Append(std::move(bytes)); }  // NOLINT: implicit on purpose
  ShownText(const char* bytes) : ShownText(std::string(bytes)) {}

  /// Adds `bytes` in `codePage` at the end.
  ShownText& Append(std::string bytes, CodePage codePage = CodePage::kSystem) {
    if (!bytes.empty()) pieces_.push_back({std::move(bytes), codePage});
    return *this;
  }
  ShownText& Append(const char* bytes) { return Append(std::string(bytes)); }
  /// Adds the pieces of `more` at the end.
  ShownText& Append(const ShownText& more) {
    pieces_.insert(pieces_.end(), more.pieces_.begin(), more.pieces_.end());
    return *this;
  }
  /// The bytes of all pieces, joined.
  std::string Bytes() const {
    std::string bytes;
    for (const Piece& piece : pieces_) bytes += piece.bytes;
    return bytes;
  }
  /// Drops what lies past the first `limit` bytes.
  void Cut(std::size_t limit) {
    for (std::size_t i = 0; i < pieces_.size(); ++i) {
      if (limit <= pieces_[i].bytes.size()) {
        pieces_[i].bytes.resize(limit);
        pieces_.resize(limit == 0 ? i : i + 1);
        return;
      }
      limit -= pieces_[i].bytes.size();
    }
  }
  const std::vector<Piece>& Pieces() const { return pieces_; }

 private:
  std::vector<Piece> pieces_;
};

/// The icon kind of a message box.
enum class BoxIcon { kNone, kWarning, kError };

/// A line on the user's terminal that is drawn again in place, for the progress of a run.
class StatusLine {
 public:
  virtual ~StatusLine() = default;
  /// Replaces the line's text with `text` (one line, no "\n").
  virtual void Redraw(const ShownText& text) = 0;
  /// Replaces the line's text with `text` and ends the line, so that later output goes below.
  virtual void Finish(const ShownText& text) = 0;
};

/// The services that show things to the user.
class Desktop {
 public:
  virtual ~Desktop() = default;

  /// The language the user reads, as a lower-case ISO 639 code ("en", "de", "ru"); empty when
  /// the system names none or leaves the choice to the program (Windows: the program's own
  /// Russian texts; Linux: no locale set, or the C or POSIX locale).
  virtual std::string UserLanguage() = 0;

  /// Shows a message box with an OK button, owned by no window, and returns when it is closed.
  /// Each piece of `text` and `caption` is shown as its code page reads, whatever the system's
  /// code page (on Windows through the wide API).
  virtual void ShowMessage(const ShownText& text, const ShownText& caption, BoxIcon icon) = 0;

  /// A status line on standard error when that is a terminal (Linux); null when it is not, or
  /// the system shows no progress (Windows, whose program has no console). While it is drawn, a
  /// message box that goes to the terminal first clears it.
  virtual std::unique_ptr<StatusLine> OpenStatusLine() = 0;

  /// How a Windows-form path is shown to the user: the path itself on Windows, the host path on
  /// Linux ("Z:\tmp\out" shows as "/tmp/out").
  virtual std::string DisplayPath(const std::string& path) = 0;
};

}  // namespace murel

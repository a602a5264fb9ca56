#include "platform/posix/status_line.h"

#include <unistd.h>

#include <cstdio>

#include "platform/posix/terminal_text.h"

namespace murel {
namespace {

// Carriage return, then "erase to the end of the line".
constexpr const char* kEraseLine = "\r\x1b[K";

void Write(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

class TerminalStatusLine : public StatusLine {
 public:
  explicit TerminalStatusLine(bool& drawn) : drawn_(drawn) {}
  ~TerminalStatusLine() override { ClearStatusLine(drawn_); }
  TerminalStatusLine(const TerminalStatusLine&) = delete;
  TerminalStatusLine& operator=(const TerminalStatusLine&) = delete;

  void Redraw(const ShownText& text) override {
    Write(kEraseLine + EscapeControls(TerminalText(text)));
    drawn_ = true;
  }
  void Finish(const ShownText& text) override {
    Write(kEraseLine + EscapeControls(TerminalText(text)) + "\n");
    drawn_ = false;
  }

 private:
  bool& drawn_;
};

}  // namespace

void ClearStatusLine(bool& drawn) {
  if (drawn) Write(kEraseLine);
  drawn = false;
}

std::unique_ptr<StatusLine> OpenTerminalStatusLine(bool& drawn) {
  if (isatty(STDERR_FILENO) == 0) return nullptr;
  return std::make_unique<TerminalStatusLine>(drawn);
}

}  // namespace murel

// murel.exe with its boxes on standard output: the same run on the same Windows platform, for
// scripts under Wine, where a box is shown to nobody (scripts/wine-list-caches reads the list of
// caches from it). A console program; the command line is murel.exe's.
#include <windows.h>

#include <cstdio>

#include "platform/win32/win32_platform.h"
#include "run/run_driver.h"

namespace {

// The Windows platform, but a box is written out as its caption, a line, then its text.
class ConsolePlatform : public murel::Win32Platform {
 public:
  void ShowMessage(const murel::ShownText& text, const murel::ShownText& caption,
                   murel::BoxIcon /*icon*/) override {
    std::printf("%s\n%s\n", caption.Bytes().c_str(), text.Bytes().c_str());
    std::fflush(stdout);
  }
};

}  // namespace

// The start-up code hands over the command-line tail, as to murel.exe's WinMain.
int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR lpCmdLine, int /*show*/) {
  ConsolePlatform platform;
  return murel::RunMurel(platform, lpCmdLine != nullptr ? lpCmdLine : "");
}

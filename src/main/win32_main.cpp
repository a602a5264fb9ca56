// The Windows entry point: a GUI program without a console; the user sees message boxes only.
#include <windows.h>

#include "platform/win32/win32_platform.h"
#include "run/run_driver.h"

// The start-up code hands over the command-line tail, the text after the program's name.
int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR lpCmdLine, int /*show*/) {
  murel::Win32Platform platform;
  return murel::RunMurel(platform, lpCmdLine != nullptr ? lpCmdLine : "");
}

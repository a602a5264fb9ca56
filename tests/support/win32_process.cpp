#include "support/win32_process.h"

#include <windows.h>

namespace murel {

int RunProcess(const std::string& commandLine, const std::string& folder) {
  std::string command = commandLine;  // CreateProcessA may write into its command line
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
    return -1;
  }
  DWORD status = static_cast<DWORD>(-1);
  if (::WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0) {
    ::GetExitCodeProcess(process.hProcess, &status);
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return static_cast<int>(status);
}

}  // namespace murel

// murel.exe tells by its exit status whether every selected entry reached its target.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>
#include <vector>

#include "support/host_files.h"
#include "support/index_dat_writer.h"
#include "support/win32_process.h"

namespace murel {
namespace {

// A target that another process holds open without sharing cannot be replaced: the copy fails,
// the run goes on, and ends with status 4, quiet or not; once the target is free, with 0.
TEST(Win32ExitStatus, ACopyThatFailsEndsWithStatusFour) {
  char temp[MAX_PATH];
  ASSERT_NE(::GetTempPathA(MAX_PATH, temp), 0u);
  const std::string scratch =
      std::string(temp) + "murel-status-" + std::to_string(::GetCurrentProcessId());
  for (const std::string& folder :
       {scratch, scratch + "\\cache", scratch + "\\cache\\CONTENT1", scratch + "\\out",
        scratch + "\\out\\http", scratch + "\\out\\http\\h"}) {
    ::CreateDirectoryA(folder.c_str(), nullptr);
  }
  std::ofstream(scratch + "\\cache\\CONTENT1\\page.htm") << "new";
  std::ofstream(scratch + "\\cache\\CONTENT1\\other.htm") << "other";
  ASSERT_TRUE(::CopyFileA((std::string(MUREL_SOURCE_DIR) + "/samples/murel.ini").c_str(),
                          (scratch + "\\murel.ini").c_str(), FALSE));
  IndexDatWriter index;
  index.AddDirectory("CONTENT1");
  index.AddTable();
  index.AddUrl("http://h/page", "page.htm", 0);
  index.AddUrl("http://h/other", "other.htm", 0);
  const std::vector<unsigned char> bytes = index.Bytes();
  std::ofstream(scratch + "\\cache\\index.dat", std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  const std::string target = scratch + "\\out\\http\\h\\page";
  std::ofstream(target) << "old";
  {
    // Older than the cache's copy, so that the copy replaces it once it may.
    HANDLE file = ::CreateFileA(target.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const FILETIME old{0, 0x01000000};
    ASSERT_TRUE(::SetFileTime(file, nullptr, nullptr, &old));
    ::CloseHandle(file);
  }
  const std::string command = "\"" + std::string(MUREL_BINARY) + "\" -nm -c cache out";

  HANDLE held = ::CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(RunProcess(command, scratch), 4);
  ::CloseHandle(held);
  EXPECT_EQ(ReadAll(target), "old");
  EXPECT_EQ(ReadAll(scratch + "\\out\\http\\h\\other"), "other");

  EXPECT_EQ(RunProcess(command, scratch), 0);
  EXPECT_EQ(ReadAll(target), "new");
}

}  // namespace
}  // namespace murel

// The native program's messages end to end: the language they are shown in, chosen by the
// locale when no language file gives a text; control characters from a hostile cache escaped on
// a terminal and kept byte for byte on a pipe; and profile files of any size read in bounded
// memory.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/profile_lines.h"
#include "support/host_files.h"
#include "support/index_dat_writer.h"
#include "support/scratch_folder.h"

namespace fs = std::filesystem;

namespace murel {
namespace {

// "Использование" and "Создавать только список страниц" as the terminal shows them (UTF-8).
const std::string kRussianCaption =
    "\xD0\x98\xD1\x81\xD0\xBF\xD0\xBE\xD0\xBB\xD1\x8C\xD0\xB7\xD0\xBE\xD0\xB2\xD0\xB0\xD0\xBD\xD0"
    "\xB8\xD0\xB5";
const std::string kRussianListHelp =
    "\xD0\xA1\xD0\xBE\xD0\xB7\xD0\xB4\xD0\xB0\xD0\xB2\xD0\xB0\xD1\x82\xD1\x8C \xD1\x82\xD0\xBE"
    "\xD0\xBB\xD1\x8C\xD0\xBA\xD0\xBE \xD1\x81\xD0\xBF\xD0\xB8\xD1\x81\xD0\xBE\xD0\xBA "
    "\xD1\x81\xD1\x82\xD1\x80\xD0\xB0\xD0\xBD\xD0\xB8\xD1\x86";

class MessagesEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(scratch_.empty()); }

  // Runs `shell` (a command line that names the program as "$MUREL") in the scratch folder;
  // its exit status, or -1.
  int Shell(const std::string& shell) {
    const std::string command =
        "cd '" + scratch_.string() + "' && export MUREL='" + MUREL_BINARY + "' && " + shell;
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // What "murel --help" prints with only the variables `environment` ("NAME=value ...") set.
  std::string Help(const std::string& environment) {
    EXPECT_EQ(Shell("env -i " + environment + " \"$MUREL\" --help >help.txt"), 0);
    return ReadAll(scratch_ / "help.txt");
  }

  ScratchFolder folder_{"messages"};
  const fs::path& scratch_ = folder_.path();
};

bool StartsWith(const std::string& text, const std::string& start) {
  return text.compare(0, start.size(), start) == 0;
}

TEST_F(MessagesEndToEnd, EnglishLocaleGivesEnglishTexts) {
  const std::string help = Help("LANG=en_US.UTF-8");
  EXPECT_TRUE(StartsWith(help, "Usage\nmurel.exe [[-h]")) << help;
  EXPECT_NE(help.find("-l  - Only create the list of pages.\n"), std::string::npos) << help;
}

TEST_F(MessagesEndToEnd, RussianUnsetAndCLocalesKeepRussianTexts) {
  for (const char* environment : {"LANG=ru_RU.UTF-8", "", "LC_ALL=C LANG=en_US.UTF-8",
                                  "LANG=C.UTF-8", "LC_MESSAGES=POSIX LANG=en_US.UTF-8"}) {
    const std::string help = Help(environment);
    EXPECT_TRUE(StartsWith(help, kRussianCaption + "\n")) << environment << ": " << help;
    EXPECT_NE(help.find(kRussianListHelp), std::string::npos) << environment;
  }
}

TEST_F(MessagesEndToEnd, LanguageFileInTheCurrentFolderStillWinsLineByLine) {
  std::ofstream(scratch_ / "murel.lng") << "[strings]\r\nusage1=Aide\r\nhelp-l1=Liste seule\r\n";
  for (const char* environment : {"LANG=en_US.UTF-8", "LANG=ru_RU.UTF-8"}) {
    const std::string help = Help(environment);
    EXPECT_TRUE(StartsWith(help, "Aide\n")) << environment << ": " << help;
    EXPECT_NE(help.find("-l  - Liste seule.\n"), std::string::npos) << environment;
  }
  EXPECT_NE(Help("LANG=en_US.UTF-8").find("-h  - Show help on using the program."),
            std::string::npos)
      << "a text the file does not give is the locale's built-in one";
}

// A cache whose one entry names a local file with an escape sequence that would set the
// terminal's title and ring its bell. The file is missing, so the copy fails and the warning
// shows its path.
void WriteEscapingCache(const fs::path& folder) {
  IndexDatWriter writer;
  writer.AddTable();
  writer.AddUrl("http://host/page.html", "a\x1b]0;owned\x07.bin");
  fs::create_directories(folder);
  const std::vector<unsigned char> bytes = writer.Bytes();
  std::ofstream(folder / "index.dat", std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

TEST_F(MessagesEndToEnd, ControlCharactersAreEscapedOnATerminalAndKeptOnAPipe) {
  WriteEscapingCache(scratch_ / "cache");
  // script gives the program a terminal for its standard output and error, and copies what it
  // shows to its own standard output.
  // The entry whose file name holds the escapes fails, which the status tells.
  ASSERT_EQ(Shell("script -qec '\"$MUREL\" -c cache out' /dev/null >terminal.txt 2>&1"), 4);
  std::string terminal = ReadAll(scratch_ / "terminal.txt");
  EXPECT_NE(terminal.find("a\\x1b]0;owned\\x07.bin"), std::string::npos) << terminal;
  // The progress line clears itself with its own sequence; nothing else may reach the terminal.
  for (std::size_t at; (at = terminal.find("\x1b[K")) != std::string::npos;) terminal.erase(at, 3);
  EXPECT_EQ(terminal.find('\x1b'), std::string::npos) << "a raw escape reached the terminal";
  EXPECT_EQ(terminal.find('\x07'), std::string::npos) << "a raw bell reached the terminal";

  ASSERT_EQ(Shell("\"$MUREL\" -c cache out 2>pipe.txt"), 4);
  EXPECT_NE(ReadAll(scratch_ / "pipe.txt").find("a\x1b]0;owned\x07.bin"), std::string::npos)
      << "a pipe gets the bytes as they are";
}

TEST_F(MessagesEndToEnd, LargeProfileFilesAreReadInBoundedMemory) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "the address sanitizer's shadow memory does not fit a limit on address space";
#endif
  // 20 MB of short lines before the rules and the texts: read whole and cut into lines, they
  // would take hundreds of MB; read as a stream, a chunk and a line. One line is longer than any
  // line a reader looks at.
  const std::string block = [] {
    std::string lines;
    for (int line = 0; line < 1000000; ++line) lines += "a\n";
    return lines;
  }();
  {
    std::ofstream ini(scratch_ / "murel.ini", std::ios::binary);
    std::ofstream lng(scratch_ / "murel.lng", std::ios::binary);
    for (int part = 0; part < 10; ++part) {
      ini << block;
      lng << block;
    }
    ini << std::string(kLongestProfileLine + 1, 'x') << "\n[all]\nweb\nthe scheme's folder\n://\n"
        << "\\web\\\n{empty}\n{empty}\n";
    lng << "[strings]\nusage1=Big\n";
  }
  const fs::path samples = fs::path(MUREL_SOURCE_DIR) / "samples";
  fs::copy(samples / "cache", scratch_ / "cache", fs::copy_options::recursive);
  const std::string limit = "ulimit -v 131072 && ";
  EXPECT_EQ(Shell(limit + "\"$MUREL\" -c cache out >/dev/null 2>&1"), 0);
  EXPECT_TRUE(fs::is_directory(scratch_ / "out" / "http" / "web"))
      << "the rule after 20 MB is applied";
  EXPECT_EQ(Shell(limit + "\"$MUREL\" --help >help.txt"), 0);
  EXPECT_TRUE(StartsWith(ReadAll(scratch_ / "help.txt"), "Big\n"));
}

}  // namespace
}  // namespace murel

// The POSIX platform on real temporary folders: the shared contract, and what only this platform
// does (path mapping, exact times, terminal text, the Wine prefix's cache).

#include "platform/posix/posix_platform.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "cache/cache_finder.h"
#include "cache/cache_opener.h"
#include "export/listing_writer.h"
#include "platform/posix/host_path.h"
#include "platform/posix/terminal_text.h"
#include "platform/posix/user_language.h"
#include "platform/profile_lines.h"
#include "support/platform_contract.h"

namespace murel {
namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kEpochDifference = 11644473600;

std::string MakeTempDir() {
  std::string pattern = (fs::temp_directory_path() / "murel-posix-XXXXXX").string();
  if (mkdtemp(&pattern[0]) == nullptr) return std::string();
  return pattern;
}

std::string Host(const std::string& windowsPath) { return HostPathOf(windowsPath).value_or(""); }

void WriteHost(const std::string& hostPath, const std::string& content) {
  std::ofstream(hostPath, std::ios::binary | std::ios::trunc) << content;
}

std::optional<std::string> ReadHost(const std::string& hostPath) {
  std::ifstream in(hostPath, std::ios::binary);
  if (!in || fs::is_directory(hostPath)) return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void SetHostTime(const std::string& hostPath, FileTime time) {
  const auto seconds = static_cast<std::int64_t>(time / 10000000) - kEpochDifference;
  const timespec times[2] = {
      {0, UTIME_OMIT}, {static_cast<time_t>(seconds), static_cast<long>(time % 10000000) * 100}};
  utimensat(AT_FDCWD, hostPath.c_str(), times, 0);
}

std::optional<FileTime> HostTime(const std::string& hostPath) {
  struct stat info {};
  if (stat(hostPath.c_str(), &info) != 0) return std::nullopt;
  return ToFileTime(info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
}

// Sets an environment variable for one test and restores it afterwards.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    const char* old = std::getenv(name);
    if (old != nullptr) old_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

ContractSetup MakePosixContract() {
  ContractSetup setup;
  setup.platform = std::make_unique<PosixPlatform>();
  const std::string root = MakeTempDir();
  setup.scratch = WindowsFormOf(root);
  setup.writeFile = [](const std::string& p, const std::string& c) { WriteHost(Host(p), c); };
  setup.readFile = [](const std::string& p) { return ReadHost(Host(p)); };
  setup.setTime = [](const std::string& p, FileTime t) { SetHostTime(Host(p), t); };
  setup.timeOf = [](const std::string& p) { return HostTime(Host(p)); };
  setup.listNames = [](const std::string& dir) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& item : fs::directory_iterator(Host(dir), error)) {
      names.push_back(item.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  };
  // Permissions do not stop the superuser, who then has no unreadable files.
  if (geteuid() != 0) {
    setup.blockReading = [](const std::string& p) { chmod(Host(p).c_str(), 0); };
  }
  setup.cleanup = [root] {
    std::error_code error;
    fs::remove_all(root, error);
  };
  return setup;
}

INSTANTIATE_TEST_SUITE_P(Posix, PlatformContract,
                         ::testing::Values(PlatformFactory{"Posix", &MakePosixContract}),
                         PlatformFactoryName);

TEST(PosixHostPath, MapsWindowsFormToHost) {
  const struct {
    const char* windows;
    std::optional<std::string> host;
  } cases[] = {
      {"Z:\\tmp\\out\\a", "/tmp/out/a"},
      {"z:\\tmp/out", "/tmp/out"},
      {"Z:\\", "/"},
      {"\\tmp\\x", "/tmp/x"},
      {"/tmp/x", "/tmp/x"},
      {".\\murel.ini", "./murel.ini"},
      {"out\\a", "out/a"},
      {"C:\\tmp", std::nullopt},
      {"d:x", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(HostPathOf(c.windows), c.host) << c.windows;
}

TEST(PosixHostPath, FullPathsInWindowsForm) {
  const std::string cwd = "/home/u/work";
  const struct {
    const char* path;
    std::optional<std::string> full;
  } cases[] = {
      {"/tmp/out", "Z:\\tmp\\out"}, {"out", "Z:\\home\\u\\work\\out"},
      {"../x", "Z:\\home\\u\\x"},   {"..\\..\\..\\..\\x", "Z:\\x"},
      {".", "Z:\\home\\u\\work"},   {"Z:\\a\\.\\b\\..\\c", "Z:\\a\\c"},
      {"z:/a//b/", "Z:\\a\\b\\"},   {"/", "Z:\\"},
      {"Z:\\a\\..", "Z:\\"},        {"C:\\out", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(FullWindowsPath(c.path, cwd), c.full) << c.path;
}

// Paths of separators, dots and a letter, each made full and compared with a split-and-join
// normalization: the one-pass copy of plain paths must give what the walk by components gives.
TEST(PosixHostPath, FullPathsOfEveryShortPathMatchNormalizingByComponents) {
  const std::string bytes = "/\\.a";
  for (std::size_t size = 1; size <= 7; ++size) {
    std::vector<std::size_t> digits(size, 0);
    for (bool more = true; more;) {
      std::string path = "Z:";
      for (std::size_t d : digits) path += bytes[d];
      // "Z:" without a separator goes on from the current folder.
      std::vector<std::string> levels;
      if (path[2] != '/' && path[2] != '\\') levels.push_back("cwd");
      std::string level;
      for (std::size_t i = 2; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '/' && path[i] != '\\') {
          level += path[i];
          continue;
        }
        if (level == ".." && !levels.empty()) levels.pop_back();
        if (!level.empty() && level != "." && level != "..") levels.push_back(level);
        level.clear();
      }
      std::string expected = "Z:";
      for (const std::string& l : levels) expected += "\\" + l;
      if (levels.empty() || path.back() == '/' || path.back() == '\\') expected += '\\';
      EXPECT_EQ(FullWindowsPath(path, "/cwd"), expected) << path;
      more = false;
      for (std::size_t d = 0; d < size && !more; ++d) {
        more = ++digits[d] < bytes.size();
        if (!more) digits[d] = 0;
      }
    }
  }
}

TEST(PosixHostPath, DriveZWithoutRootGoesOnFromTheCurrentFolder) {
  EXPECT_EQ(FullWindowsPath("Z:", "/home/u"), "Z:\\home\\u");
  EXPECT_EQ(FullWindowsPath("z:a\\..\\b/", "/home/u"), "Z:\\home\\u\\b\\");
}

TEST(PosixHostPath, DisplayShowsHostForm) {
  EXPECT_EQ(DisplayHostPath("Z:\\tmp\\out\\urls.txt"), "/tmp/out/urls.txt");
  EXPECT_EQ(DisplayHostPath("z:\\"), "/");
  EXPECT_EQ(DisplayHostPath("C:\\out"), "C:\\out");
  EXPECT_EQ(WindowsFormOf("/usr/bin/murel"), "Z:\\usr\\bin\\murel");
  EXPECT_EQ(WindowsFormOf("/"), "Z:\\");
}

TEST(PosixPlatformPaths, OtherDrivesAreRefused) {
  PosixPlatform platform;
  EXPECT_FALSE(platform.FullPath("C:\\out", 4096));
  EXPECT_FALSE(platform.CreateFolder("C:\\out"));
  EXPECT_FALSE(platform.QueryAttributes("C:\\"));
}

TEST(PosixPlatformPaths, ModuleFileIsThisProgramInWindowsForm) {
  PosixPlatform platform;
  std::optional<std::string> module = platform.ProgramPath();
  ASSERT_TRUE(module);
  EXPECT_EQ(module->substr(0, 3), "Z:\\");
  EXPECT_TRUE(fs::equivalent(Host(*module), "/proc/self/exe"));
}

class PosixPlatformFiles : public ::testing::Test {
 protected:
  void SetUp() override { root_ = MakeTempDir(); }
  void TearDown() override { fs::remove_all(root_); }
  std::string In(const std::string& name) const { return WindowsFormOf(root_ + "/" + name); }

  PosixPlatform platform_;
  std::string root_;
};

TEST_F(PosixPlatformFiles, CopyKeepsTheTimeToTheNanosecond) {
  const std::string source = root_ + "/src";
  WriteHost(source, "content");
  const timespec times[2] = {{0, UTIME_OMIT}, {1600000000, 123456789}};
  ASSERT_EQ(utimensat(AT_FDCWD, source.c_str(), times, 0), 0);

  ASSERT_TRUE(platform_.CopyReplacing(In("src"), In("dst")));
  struct stat info {};
  ASSERT_EQ(stat((root_ + "/dst").c_str(), &info), 0);
  EXPECT_EQ(info.st_mtim.tv_sec, 1600000000);
  EXPECT_EQ(info.st_mtim.tv_nsec, 123456789);
  EXPECT_EQ(platform_.ReadLastWriteTime(In("dst")).time,
            std::optional<FileTime>((1600000000 + kEpochDifference) * 10000000 + 1234567));
}

TEST_F(PosixPlatformFiles, CopyThatFailsWhileReadingRemovesItsTemporaryFile) {
  // /proc/self/mem opens as a regular file, but reading at offset 0 fails.
  WriteHost(root_ + "/dst", "old");
  EXPECT_FALSE(platform_.CopyReplacing("Z:\\proc\\self\\mem", In("dst")));
  EXPECT_EQ(ReadHost(root_ + "/dst"), std::optional<std::string>("old"));
  EXPECT_EQ(std::distance(fs::directory_iterator(root_), fs::directory_iterator()), 1);
}

// The copy goes through the kernel where it can, and through a buffer for files that report no
// size (as /proc files do): both give the whole content.
TEST_F(PosixPlatformFiles, CopyGivesTheWholeContentWhateverTheSizeReported) {
  std::string large(3 * 1024 * 1024 + 17, '\0');
  for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i * 7 + i / 4096);
  WriteHost(root_ + "/large", large);
  WriteHost(root_ + "/empty", "");
  const std::pair<std::string, std::string> cases[] = {{In("large"), root_ + "/large"},
                                                       {In("empty"), root_ + "/empty"},
                                                       {"Z:\\proc\\version", "/proc/version"}};
  for (const auto& [source, hostSource] : cases) {
    SCOPED_TRACE(hostSource);
    ASSERT_TRUE(platform_.CopyReplacing(source, In("dst")));
    const std::optional<std::string> copied = ReadHost(root_ + "/dst");
    EXPECT_EQ(copied, ReadHost(hostSource));
    EXPECT_FALSE(copied->empty() && hostSource == "/proc/version");
  }
}

TEST_F(PosixPlatformFiles, CopyOfAFolderFails) {
  ASSERT_TRUE(platform_.CreateFolder(In("d")));
  EXPECT_FALSE(platform_.CopyReplacing(In("d"), In("dst")));
  EXPECT_FALSE(fs::exists(root_ + "/dst"));
}

TEST_F(PosixPlatformFiles, TemporaryNameTakesThreeCharactersOfThePrefix) {
  std::optional<std::string> name = platform_.CreateTemporaryFile(In(""), "murel", 0);
  ASSERT_TRUE(name);
  const std::string leaf = name->substr(name->rfind('\\') + 1);
  EXPECT_EQ(leaf.substr(0, 3), "mur") << leaf;
  EXPECT_EQ(leaf.find_first_not_of("0123456789ABCDEF", 3), leaf.size() - 4) << leaf;
  EXPECT_EQ(leaf.substr(leaf.size() - 4), ".TMP");
}

TEST_F(PosixPlatformFiles, ReadLastWriteTimeTakesAFolderForNoFile) {
  ASSERT_TRUE(platform_.CreateFolder(In("d")));
  EXPECT_FALSE(platform_.ReadLastWriteTime(In("d")).opened);
}

TEST_F(PosixPlatformFiles, ListingReportsAWriteFailure) {
  // A file size limit makes the writes fail, as a full disk would.
  const pid_t child = fork();
  if (child == 0) {
    const rlimit small{4096, RLIM_INFINITY};
    setrlimit(RLIMIT_FSIZE, &small);
    std::signal(SIGXFSZ, SIG_IGN);
    std::unique_ptr<ListingWriter> listing = ListingWriter::Open(platform_, In("urls.txt"));
    if (!listing) _exit(2);
    listing->WriteLine({std::string(200000, 'x')});
    _exit(listing->Close() ? 1 : 0);
  }
  int status = -1;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
  EXPECT_FALSE(ReadHost(root_ + "/urls.txt")) << "a listing not written whole is not put in place";
}

TEST_F(PosixPlatformFiles, ListingWritesCrLfThroughItsBuffer) {
  std::unique_ptr<ListingWriter> listing = ListingWriter::Open(platform_, In("urls.txt"));
  ASSERT_TRUE(listing);
  std::string expected;
  for (int i = 0; i < 10000; ++i) {
    listing->WriteLine({"http://host/" + std::to_string(i)});
    expected += "http://host/" + std::to_string(i) + "\r\n";
  }
  EXPECT_TRUE(listing->Close());
  EXPECT_EQ(ReadHost(root_ + "/urls.txt"), std::optional<std::string>(expected));
}

// The XDG rules: an absolute $XDG_CACHE_HOME, else ~/.cache, whether the folder exists or not.
TEST_F(PosixPlatformFiles, UserCacheFolderFollowsTheXdgRules) {
  const ScopedEnv home("HOME", "/home/tester");
  {
    const ScopedEnv cache("XDG_CACHE_HOME", root_ + "/xdg");
    EXPECT_EQ(platform_.UserCacheFolder(), std::optional<std::string>(In("xdg")));
  }
  for (const char* ignored : {"", "relative/cache"}) {
    const ScopedEnv cache("XDG_CACHE_HOME", ignored);
    EXPECT_EQ(platform_.UserCacheFolder(), std::optional<std::string>("Z:\\home\\tester\\.cache"))
        << ignored;
  }
}

// The Wine user's profile: $WINEPREFIX (else ~/.wine) and $USER, whether it exists or not.
TEST_F(PosixPlatformFiles, WineUserProfileFollowsPrefixAndUser) {
  const ScopedEnv home("HOME", "/home/tester");
  const ScopedEnv user("USER", "someone");
  {
    const ScopedEnv winePrefix("WINEPREFIX", root_ + "/prefix");
    EXPECT_EQ(platform_.WineUserProfile(),
              std::optional<std::string>(In("prefix/drive_c/users/someone")));
  }
  const ScopedEnv noPrefix("WINEPREFIX", "");
  EXPECT_EQ(platform_.WineUserProfile(),
            std::optional<std::string>("Z:\\home\\tester\\.wine\\drive_c\\users\\someone"));
}

TEST_F(PosixPlatformFiles, WithoutACachePathTheWinePrefixCacheIsRead) {
  const std::string sample = MUREL_SHARED_DIR "/testdata/ie-index-dat/content-ie5.dat";
  if (!fs::exists(sample)) GTEST_SKIP() << "no " << sample << " (the shared folder is absent)";
  const std::string prefix = root_ + "/prefix";
  const std::string index = prefix +
                            "/drive_c/users/tester/AppData/Local/Microsoft/Windows/INetCache/"
                            "Content.IE5/index.dat";
  fs::create_directories(fs::path(index).parent_path());
  fs::copy_file(sample, index);
  const ScopedEnv winePrefix("WINEPREFIX", prefix);
  const ScopedEnv user("USER", "tester");
  const std::optional<DefaultCache> found = FindDefaultCache(platform_);
  ASSERT_TRUE(found);
  EXPECT_EQ(std::optional<std::string>(found->file), WindowsFormOf(index));

  const std::unique_ptr<CacheReader> reader = OpenCache(platform_, "");
  ASSERT_TRUE(reader);
  std::size_t entries = 0;
  std::size_t local = 0;
  const std::string folder = WindowsFormOf(fs::path(index).parent_path().string()) + "\\";
  for (CacheEntry entry; reader->Next(entry) && entries < 10000; ++entries) {
    EXPECT_FALSE(entry.url.empty());
    if (!entry.localFile.empty()) {
      ++local;
      EXPECT_EQ(entry.localFile.substr(0, folder.size()), folder);
    }
  }
  EXPECT_GT(entries, 1u);
  EXPECT_GT(local, 0u);
}

TEST_F(PosixPlatformFiles, CacheThatCannotBeFoundOpensNoReader) {
  const ScopedEnv winePrefix("WINEPREFIX", root_ + "/no-prefix");
  EXPECT_FALSE(FindDefaultCache(platform_));
  EXPECT_FALSE(OpenCache(platform_, ""));
  EXPECT_FALSE(OpenCache(platform_, In("none")));
  ASSERT_TRUE(platform_.CreateFolder(In("empty")));
  EXPECT_FALSE(OpenCache(platform_, In("empty")));
  WriteHost(root_ + "/index.dat", "not an index file");
  EXPECT_FALSE(OpenCache(platform_, In("index.dat")));
}

TEST(PosixTerminalText, Utf8StaysAndWindows1251IsConverted) {
  const struct {
    std::string in;
    std::string out;
  } cases[] = {
      {"plain ascii\n", "plain ascii\n"},
      {"\xD0\x9F\xD1\x80\xD0\xB8", "\xD0\x9F\xD1\x80\xD0\xB8"},  // "При" already UTF-8
      {"\xCF\xF0\xE8", "\xD0\x9F\xD1\x80\xD0\xB8"},              // "При" in Windows-1251
      {"\xC0\xFF", "\xD0\x90\xD1\x8F"},                          // first and last letter
      {"\xA8\xB8", "\xD0\x81\xD1\x91"},                          // Ё ё
      {"\xB9 \x88", "\xE2\x84\x96 \xE2\x82\xAC"},                // № €
      {"\x98", "\xEF\xBF\xBD"},                                  // unassigned
  };
  for (const auto& c : cases) EXPECT_EQ(TerminalText(c.in), c.out) << c.in;
}

// A built-in text beside a UTF-8 path: each is shown as its own code page reads.
TEST(PosixTerminalText, EachPieceOfAShownTextInItsOwnCodePage) {
  const ShownText text =
      ShownText().Append("\xCE\xF8\xE8\xE1\xEA\xE0", CodePage::kBuiltIn).Append("\n/tmp/\xC3\xBC");
  EXPECT_EQ(TerminalText(text), "\xD0\x9E\xD1\x88\xD0\xB8\xD0\xB1\xD0\xBA\xD0\xB0\n/tmp/\xC3\xBC");
}

TEST(PosixTerminalText, MalformedUtf8IsNotUtf8) {
  const char* bad[] = {"\xC0\x80", "\xE0\x80\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                       "\xD0",     "\x80",         "\xE2\x82"};
  for (const char* text : bad) EXPECT_FALSE(IsValidUtf8(text)) << text;
  EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x98\x80 \xE2\x82\xAC"));
}

TEST(PosixTerminalText, ControlCharactersAreEscapedButLineBreaksAndTabsStay) {
  EXPECT_EQ(EscapeControls("a\x1b]0;x\x07 b\r\x7f"), "a\\x1b]0;x\\x07 b\\x0d\\x7f");
  EXPECT_EQ(EscapeControls("line\n\tnext"), "line\n\tnext");
  EXPECT_EQ(EscapeControls("\xC2\x9B[2J \xC2\xA0\xD0\x9F"), "\\u009b[2J \xC2\xA0\xD0\x9F")
      << "C1 controls are escaped, other characters stay";
  EXPECT_EQ(EscapeControls("x\xE2\x80\xAE.exe \xE2\x81\xA6y\xE2\x80\xA9"),
            "x\\u202e.exe \\u2066y\xE2\x80\xA9")
      << "bidirectional overrides and isolates are escaped, a paragraph separator stays";
  EXPECT_EQ(EscapeControls("\xE2\x80\x8F"
                           "1 \xE2\x80\x8E"
                           "2 \xD8\x9C"
                           "3 \xE2\x80\x8D\xD8\x9B\xE2\x80\x90"),
            "\\u200f1 \\u200e2 \\u061c3 \xE2\x80\x8D\xD8\x9B\xE2\x80\x90")
      << "the direction marks are escaped, the characters beside them stay";
}

TEST(PosixUserLanguage, FirstSetVariableNamesTheLanguage) {
  EXPECT_EQ(LocaleLanguage(nullptr, nullptr, "en_US.UTF-8"), "en");
  EXPECT_EQ(LocaleLanguage(nullptr, "de_DE", "en_US.UTF-8"), "de");
  EXPECT_EQ(LocaleLanguage("C", "de_DE", "en_US.UTF-8"), "") << "LC_ALL=C over the others";
  EXPECT_EQ(LocaleLanguage("", "", "ru_RU.UTF-8"), "ru") << "empty counts as unset";
  EXPECT_EQ(LocaleLanguage(nullptr, nullptr, "sr_RS@latin"), "sr");
  EXPECT_EQ(LocaleLanguage(nullptr, nullptr, "PT"), "pt");
  for (const char* neutral : {"C", "C.UTF-8", "POSIX"}) {
    EXPECT_EQ(LocaleLanguage(nullptr, nullptr, neutral), "") << neutral;
  }
  EXPECT_EQ(LocaleLanguage(nullptr, nullptr, nullptr), "");
}

TEST_F(PosixPlatformFiles, ProfileFileThatIsAPipeIsNotWaitedFor) {
  ASSERT_EQ(mkfifo((root_ + "/pipe.ini").c_str(), 0600), 0);
  EXPECT_TRUE(platform_.ReadProfileSection("all", In("pipe.ini"), 1000).empty());
  EXPECT_EQ(platform_.ReadProfileStrings("all", {"a"}, In("pipe.ini")),
            std::vector<std::string>{""});
}

TEST_F(PosixPlatformFiles, ProfileLinesAcrossChunksAndOverlongLinesPassedOver) {
  // Lines cross the reader's chunks; a line over its bound is neither header nor entry.
  std::string text = "[other]\n" + std::string(100000, ';') + "\n";
  text += "[all]\n" + std::string(kLongestProfileLine + 1, 'x') + "=1\n";
  text += "a=" + std::string(70000, 'v') + "\nb=2\n[next]\na=3\n";
  WriteHost(root_ + "/big.ini", text);
  const std::vector<std::string> entries =
      platform_.ReadProfileSection("all", In("big.ini"), 1000000);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].size(), 70002u);
  EXPECT_EQ(entries[1], "b=2");
  EXPECT_EQ(platform_.ReadProfileStrings("ALL", {"b", "a"}, In("big.ini")),
            (std::vector<std::string>{"2", std::string(499, 'v')}));
}

TEST(PosixMessageBox, UsageToStdoutOthersToStderr) {
  PosixPlatform platform;
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  platform.ShowMessage("\xCF\xF0\xE8", "Caption", BoxIcon::kNone);
  platform.ShowMessage("text", "Warn", BoxIcon::kWarning);
  platform.ShowMessage("bad", "Err", BoxIcon::kError);
  const std::string err = testing::internal::GetCapturedStderr();
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out, "Caption\n\xD0\x9F\xD1\x80\xD0\xB8\n");
  EXPECT_EQ(err, "Warn\ntext\nErr\nbad\n");
}

}  // namespace
}  // namespace murel

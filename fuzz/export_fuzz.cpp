// Runs a whole export on the fake platform from a fuzzed cache, rules and options, and checks
// what the program promises whatever the cache holds: nothing outside the export root changes,
// and every file that was under the root before the run is still there (moved aside at most).
//
// The input is text, so that seeds can be written by hand:
//   line 1   run flags: "l" for -l, "e" for -e, "q" for -nm; after a "|", the URL filter
//   then     the lines of murel.ini, up to a line "----"
//   then     one cache entry per line: a digit that picks its local file, then the URL
#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "run/run_driver.h"
#include "support/fake_platform.h"

namespace {

constexpr std::size_t kMaxInput = 16384;
constexpr std::size_t kMaxEntries = 64;
constexpr const char* kRoot = "C:\\out";
constexpr murel::FileTime kCacheTime = 1000;
// The user's files are newer than the cache, so that no copy may replace them.
constexpr murel::FileTime kUserTime = 5000;

// The local files an entry may point at: cached pages, a missing file, a directory, a file
// outside the cache, a link, a pipe, none.
const char* const kLocalFiles[] = {"C:\\cache\\0\\a.htm",     "C:\\cache\\0\\b.htm",
                                   "C:\\cache\\1\\c.gif",     "C:\\cache\\1\\d",
                                   "C:\\cache\\1\\missing",   "C:\\cache\\0",
                                   "C:\\outside\\secret.txt", "C:\\cache\\1\\link",
                                   "C:\\cache\\1\\pipe",      ""};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Whether `path` begins with `upperPrefix`, without regard to ASCII case.
bool Below(const std::string& path, const std::string& upperPrefix) {
  std::string upper;
  for (char c : path) upper += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  return upper.rfind(upperPrefix, 0) == 0;
}

bool UnderRoot(const std::string& path) { return Below(path, "C:\\OUT\\"); }

void SetUp(murel::FakePlatform& platform, const std::string& ini) {
  for (std::size_t i = 0; i < 4; ++i) {
    platform.AddFile(kLocalFiles[i], "cached " + std::to_string(i), kCacheTime);
  }
  platform.AddFile("C:\\outside\\secret.txt", "secret", kUserTime);
  platform.AddFile("C:\\outer\\x.txt", "beside the root", kUserTime);
  platform.AddFile("D:\\d.txt", "other drive", kUserTime);
  platform.AddFile("C:\\out\\notes.txt", "user notes", kUserTime);
  platform.AddFile("C:\\out\\http\\host\\page", "user page", kUserTime);
  platform.AddFile("C:\\out\\http\\host\\dir\\__", "user dir page", kUserTime);
  platform.AddFile("C:\\work\\murel.ini", ini, kUserTime);
  platform.AddDirectory(*platform.userCacheFolder);
  platform.AddSpecial("C:\\cache\\1\\link", murel::FileKind::kLink);
  platform.AddSpecial("C:\\cache\\1\\pipe", murel::FileKind::kOther);
  // Links in the export folder, on a level and where a page would go.
  platform.AddSpecial("C:\\out\\ftp", murel::FileKind::kLink);
  platform.AddSpecial("C:\\out\\http\\host\\a", murel::FileKind::kLink);
}

// The tail for the flags line: options, the root, and the filter when one is given.
std::string Tail(const std::string& flags) {
  const std::size_t bar = flags.find('|');
  const std::string letters = flags.substr(0, bar);
  std::string tail;
  if (letters.find('l') != std::string::npos) tail += "-l ";
  if (letters.find('e') != std::string::npos) tail += "-e ";
  if (letters.find('q') != std::string::npos) tail += "-nm ";
  tail += kRoot;
  if (bar != std::string::npos) tail += " " + flags.substr(bar + 1);
  return tail;
}

// Every name and file content outside the root.
std::map<std::string, std::string> Outside(const murel::FakePlatform& platform) {
  std::map<std::string, std::string> outside;
  for (const std::string& path : platform.Tree()) {
    // murel's own folder in the user's cache holds what spares it work between runs.
    if (!UnderRoot(path) && !Below(path, "C:\\USERS\\ME\\APPDATA\\LOCAL\\MUREL")) {
      outside[path] = platform.Content(path).value_or("<dir>");
    }
  }
  return outside;
}

std::multiset<std::string> ContentsUnderRoot(const murel::FakePlatform& platform) {
  std::multiset<std::string> contents;
  for (const std::string& path : platform.Tree()) {
    if (UnderRoot(path) && platform.IsFile(path)) contents.insert(*platform.Content(path));
  }
  return contents;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > kMaxInput) return 0;
  const std::vector<std::string> lines =
      Lines(std::string(reinterpret_cast<const char*>(data), size));
  if (lines.empty()) return 0;
  std::size_t at = 1;
  std::string ini;
  for (; at < lines.size() && lines[at] != "----"; ++at) ini += lines[at] + "\n";

  murel::FakePlatform platform;
  SetUp(platform, ini);
  for (++at; at < lines.size() && platform.cache.size() < kMaxEntries; ++at) {
    if (lines[at].empty()) continue;
    const auto pick = static_cast<unsigned char>(lines[at][0]) % std::size(kLocalFiles);
    platform.cache.push_back({lines[at].substr(1), kLocalFiles[pick], 0});
  }

  const std::map<std::string, std::string> outsideBefore = Outside(platform);
  const std::multiset<std::string> before = ContentsUnderRoot(platform);
  murel::RunMurel(platform, Tail(lines[0]));

  murel::FuzzCheck(Outside(platform) == outsideBefore, "something outside the root changed");
  const std::multiset<std::string> after = ContentsUnderRoot(platform);
  for (const std::string& content : before) {
    murel::FuzzCheck(after.count(content) != 0, "a file under the root was lost");
  }
  murel::FuzzCheck(after.count(murel::FakePlatform::kSpecialContent) <=
                       before.count(murel::FakePlatform::kSpecialContent),
                   "what lies behind a link or pipe was exported");
  return 0;
}

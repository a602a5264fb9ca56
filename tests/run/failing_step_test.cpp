// A whole export, run once for every platform call with that one call failing, on the in-memory
// platform and on the real one (in a scratch folder). Whichever step fails, the run must end with
// the status and boxes its failure rules give, change nothing outside the export root, and keep
// every file that was under the root.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "run/run_driver.h"
#include "support/fake_platform.h"
#include "support/faulty_platform.h"
#include "text/messages.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/win32_platform.h"
#else
#include "platform/posix/posix_platform.h"
#include "support/scratch_folder.h"
#endif

namespace murel {
namespace {

// Times that every file system can give a file: the cache's, and a later one of files that an
// earlier run or the user left.
constexpr FileTime kCacheTime = 132000000000000000;
constexpr FileTime kLaterTime = 133000000000000000;

// Rules that turn URLs into paths: the scheme and "/" become separators, ":" and "?" safe names.
constexpr const char* kRules =
    "[all]\n"
    "scheme\nany\n://\n\\\n{empty}\n{empty}\n"
    "double-slash\nany\n//\n/\n{empty}\n{empty}\n"
    "slash\nany\n/\n\\\n{empty}\n{empty}\n"
    "colon\nany\n:\n_\n{empty}\n{empty}\n"
    "question\nany\n?\n@\n{empty}\n{empty}\n";

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// The URLs of the cache: pages that are also directories, in both orders; a URL ending in "/";
// paths over the length limit and over the path buffer; URLs that try to leave the root or name
// devices; a missing local file; the same URL twice.
std::vector<std::string> Urls() {
  std::vector<std::string> urls = {
      "http://host/docs",
      "http://host/docs/guide.html",
      "http://host/docs/",
      "http://host/a/b/c/d.html",
      "http://host/a/b",
      "http://host/a",
      "http://host/search?q=1",
      "http://host:8080/port.html",
      "https://secure/x/y.css",
      "ftp://files/pub/f.zip",
      "http://host/" + std::string(240, 'l') + ".html",
      "http://host/" + std::string(2100, 'b'),
      "http://host/../../outside/evil.txt",
      "http://host/a/../../../outside",
      "http://host/..\\..\\outside\\evil2",
      "http://host/CON",
      "http://host/dev/nul.txt",
      "http://host/com1/x.html",
      "http://host/. ./x",
      "http://host/dir./y",
      "http://host/missing.gif",
      "http://host/docs/guide.html",
      "http://other/index.html",
      "http://other/img/logo.png",
      "http://other/img/logo.png/large",
      "http://host/old.html",
      "http://host/notes",
      "http://host/t\x01"
      "ab\x7f.html",
      "http://host/\xff\xfe.html",
      "http://host/end/",
  };
  return urls;
}

// A platform for the run to fail at every call, with the folder where its files lie, set up
// through the platform itself so that every kind of platform starts alike.
class Subject {
 public:
  virtual ~Subject() = default;
  /// The platform whose calls the run makes, before faults are injected.
  virtual Platform& Inner() = 0;
  /// The message boxes shown so far.
  virtual const std::vector<FakePlatform::Box>& Boxes() = 0;
  /// The folder below which the run's files lie (the cache, the rules, the export).
  std::string base;
};

// The in-memory platform, the system's cache walk delivering `cache`.
class FakeSubject : public Subject {
 public:
  FakeSubject() {
    base = "C:\\test";
    fake.AddDirectory(base);
    fake.currentDirectory = base;
    fake.userCacheFolder = base + "\\usercache";
  }
  Platform& Inner() override { return fake; }
  const std::vector<FakePlatform::Box>& Boxes() override { return fake.boxes; }
  FakePlatform fake;
};

#ifdef _WIN32
using SystemPlatform = Win32Platform;
#else
using SystemPlatform = PosixPlatform;
#endif

// The system's platform in a scratch folder: its file system is the system's; the user's folders
// lie in the scratch folder, the cache walk is the fake's list and message boxes are recorded, so
// that nothing of the user's is read or shown.
class SystemSubject : public Subject, public SystemPlatform {
 public:
  explicit SystemSubject(const std::string& folder) { base = folder; }
  Platform& Inner() override { return *this; }
  const std::vector<FakePlatform::Box>& Boxes() override { return boxes; }

  WalkStatus StartCacheWalk(const std::string& pattern, std::uint32_t& recordSize,
                            UrlCacheEntry& entry, std::unique_ptr<CacheWalk>& walk) override {
    return walkSource.StartCacheWalk(pattern, recordSize, entry, walk);
  }
  WalkStatus ContinueCacheWalk(CacheWalk& walk, std::uint32_t& recordSize,
                               UrlCacheEntry& entry) override {
    return walkSource.ContinueCacheWalk(walk, recordSize, entry);
  }
  void ShowMessage(const ShownText& text, const ShownText& caption, BoxIcon icon) override {
    boxes.push_back({text.Bytes(), caption.Bytes(), icon});
  }
  std::string UserLanguage() override { return ""; }
  std::optional<std::string> UserCacheFolder() override { return base + "\\usercache"; }
  std::vector<std::string> ConfigurationFolders() override { return {}; }
  std::vector<UserFolder> UserFolders() override { return {}; }
  std::optional<std::string> WineUserProfile() override { return std::nullopt; }
  // The failures expected are those of the Windows program; the Unix habits only add words.
  Conventions UserConventions() override { return Conventions::kWindows; }

  FakePlatform walkSource;  ///< Only its cache walk is used.
  std::vector<FakePlatform::Box> boxes;
};

// Creates `path` and its missing parents.
void MakeFolders(Platform& platform, const std::string& path) {
  for (std::size_t cut = path.find('\\', 3); cut != std::string::npos;
       cut = path.find('\\', cut + 1)) {
    platform.CreateFolder(path.substr(0, cut));
  }
  platform.CreateFolder(path);
}

void WriteFile(Platform& platform, const std::string& path, const std::string& content,
               FileTime time) {
  MakeFolders(platform, path.substr(0, path.rfind('\\')));
  const std::unique_ptr<BodyWriter> writer = platform.CreateBodyWriter(path);
  ASSERT_TRUE(
      writer &&
      writer->Append(reinterpret_cast<const unsigned char*>(content.data()), content.size()) &&
      writer->Commit(time))
      << path;
}

std::string ReadFile(Platform& platform, const std::string& path) {
  const std::unique_ptr<ReadableFile> file = platform.OpenFileForReading(path);
  if (!file) return "<unreadable>";
  std::string content(static_cast<std::size_t>(file->Facts().size), '\0');
  const std::optional<std::size_t> got =
      file->ReadAt(0, reinterpret_cast<unsigned char*>(&content[0]), content.size());
  return got ? content.substr(0, *got) : "<unreadable>";
}

// Every file and folder below `folder`, by path, with the file's content or "<directory>".
void Snapshot(Platform& platform, const std::string& folder,
              std::map<std::string, std::string>& tree) {
  for (const FolderItem& item :
       platform.ListFolder(folder, true).value_or(std::vector<FolderItem>())) {
    const std::string path = folder + "\\" + item.name;
    if (item.facts && item.facts->kind == FileKind::kDirectory) {
      tree[path] = "<directory>";
      Snapshot(platform, path, tree);
    } else {
      tree[path] = ReadFile(platform, path);
    }
  }
}

// Content of the cached file for URL number `i` (a missing file for one of them).
std::string CacheFile(const Subject& subject, std::size_t i) {
  return subject.base + "\\cache\\" + std::to_string(i) + ".bin";
}
std::string CachedContent(std::size_t i) { return "content " + std::to_string(i); }

void SetUpFiles(Subject& subject, std::vector<FakePlatform::FakeEntry>& cache) {
  Platform& platform = subject.Inner();
  const std::string& base = subject.base;
  WriteFile(platform, base + "\\work\\murel.ini", kRules, kLaterTime);
  WriteFile(platform, base + "\\outside\\keep.txt", "outside", kLaterTime);
  WriteFile(platform, base + "\\outer\\keep.txt", "beside the root", kLaterTime);
  MakeFolders(platform, base + "\\usercache");
  const std::vector<std::string> urls = Urls();
  for (std::size_t i = 0; i < urls.size(); ++i) {
    if (urls[i] != "http://host/missing.gif") {
      WriteFile(platform, CacheFile(subject, i), CachedContent(i), kCacheTime);
    }
    cache.push_back({urls[i], CacheFile(subject, i), i % 7 == 3 ? 3000u : 0u});
  }
  // What an earlier run left, newer than the cache so that no copy replaces it: a page where a
  // directory is now needed, and the page of a URL that is in the cache; and a file of the user's
  // own.
  WriteFile(platform, base + "\\out\\http\\host\\docs", "earlier docs", kLaterTime);
  WriteFile(platform, base + "\\out\\http\\other\\index.html", "edited by the user", kLaterTime);
  WriteFile(platform, base + "\\out\\http\\host\\notes\\mine.txt", "the user's own", kLaterTime);
}

// A fresh subject of one kind, its files set up.
using SubjectMaker = std::function<std::unique_ptr<Subject>()>;

std::unique_ptr<Subject> MakeFake() {
  auto subject = std::make_unique<FakeSubject>();
  SetUpFiles(*subject, subject->fake.cache);
  return subject;
}

bool UnderRoot(const Subject& subject, const std::string& path) {
  return Upper(path).rfind(Upper(subject.base + "\\out\\"), 0) == 0;
}

// Everything outside the root but the folder where murel keeps what spares it work.
std::map<std::string, std::string> Outside(Subject& subject) {
  std::map<std::string, std::string> tree;
  Snapshot(subject.Inner(), subject.base, tree);
  const std::string own = Upper(subject.base + "\\usercache\\murel");
  std::map<std::string, std::string> outside;
  for (const auto& [path, content] : tree) {
    // Paths are compared below the base, which differs between the runs on real folders.
    if (!UnderRoot(subject, path) && Upper(path).rfind(own, 0) != 0) {
      outside[path.substr(subject.base.size())] = content;
    }
  }
  return outside;
}

std::multiset<std::string> ContentsUnderRoot(Subject& subject) {
  std::map<std::string, std::string> tree;
  Snapshot(subject.Inner(), subject.base + "\\out", tree);
  std::multiset<std::string> contents;
  for (const auto& [path, content] : tree) {
    if (content != "<directory>") contents.insert(content);
  }
  return contents;
}

// The method named by one line of the platform's call log.
std::string Method(const std::string& logLine) { return logLine.substr(0, logLine.find(' ')); }

// Whether a line of the call log is a step in writing the listing.
bool WritesListing(const std::string& logLine) {
  const std::string method = Method(logLine);
  return logLine.find("\\out\\urls.txt ") != std::string::npos &&
         (method == "CreateBodyWriter" || method == "BodyWriter.Append" ||
          method == "BodyWriter.Commit");
}

struct Outcome {
  int status;
  std::vector<FakePlatform::Box> boxes;
  std::string listing;
  std::string failedCall;  // the log line of the failing call
  std::map<std::string, std::string> outside;
  std::multiset<std::string> contents;
};

// Runs an export on a fresh subject with call number `failingCall` failing (0: none).
Outcome RunFailing(const SubjectMaker& make, std::size_t failingCall) {
  const std::unique_ptr<Subject> subject = make();
  Platform& inner = subject->Inner();
  FaultyPlatform platform(inner);
  platform.FailCall(failingCall);
  // The rules lie in the current folder.
  const std::optional<std::string> start = inner.FullPath(".", 4096);
  EXPECT_TRUE(inner.ChangeCurrentFolder(subject->base + "\\work"));
  Outcome outcome;
  outcome.status = RunMurel(platform, subject->base + "\\out");
  if (start) inner.ChangeCurrentFolder(*start);
  outcome.boxes = subject->Boxes();
  outcome.listing = ReadFile(inner, subject->base + "\\out\\urls.txt");
  // Paths in the listing are compared below the base, which differs between runs.
  const std::string shownBase = inner.DisplayPath(subject->base);
  for (std::size_t at = outcome.listing.find(shownBase); at != std::string::npos;
       at = outcome.listing.find(shownBase, at)) {
    outcome.listing.erase(at, shownBase.size());
  }
  if (failingCall >= 1 && failingCall <= platform.log.size()) {
    outcome.failedCall = platform.log[failingCall - 1];
  }
  outcome.outside = Outside(*subject);
  outcome.contents = ContentsUnderRoot(*subject);
  return outcome;
}

std::size_t CountBoxes(const Outcome& outcome, const char* caption, BoxIcon icon) {
  std::size_t count = 0;
  for (const FakePlatform::Box& box : outcome.boxes)
    count += box.caption == caption && box.icon == icon;
  return count;
}

// The status and error box that a failing call brings, by the step it belongs to; other steps
// end with status 4 (the hostile URLs are never exported) and no error box.
struct StepFailure {
  int status;
  const char* errorText;
};

StepFailure ExpectedFailure(const std::string& failedCall, bool firstFullPath) {
  const std::string method = Method(failedCall);
  if (method == "FullPath" && firstFullPath) return {kExitBadArguments, kErrExportRoot.fallback};
  if (WritesListing(failedCall)) return {kExitNoListing, kErrListing.fallback};
  if (method == "StartCacheWalk") return {kExitCacheUnopened, kErrOpenCache.fallback};
  return {kExitNotAllExported, nullptr};
}

void EveryCallFailingInTurnKeepsTheRunSafe(const SubjectMaker& make) {
  const std::unique_ptr<Subject> reference = make();
  const std::map<std::string, std::string> outsideBefore = Outside(*reference);
  const std::multiset<std::string> contentsBefore = ContentsUnderRoot(*reference);
  const Outcome clean = RunFailing(make, 0);
  ASSERT_EQ(clean.status, kExitNotAllExported);
  const std::size_t cleanWarnings = CountBoxes(clean, kErrCopyCaption.fallback, BoxIcon::kWarning);
  ASSERT_EQ(cleanWarnings, clean.boxes.size()) << "a clean run shows copy warnings only";
  ASSERT_GT(cleanWarnings, 0u) << "the hostile URLs are reported";

  std::size_t calls = 0;
  {
    const std::unique_ptr<Subject> counting = make();
    FaultyPlatform platform(counting->Inner());
    const std::optional<std::string> start = counting->Inner().FullPath(".", 4096);
    counting->Inner().ChangeCurrentFolder(counting->base + "\\work");
    RunMurel(platform, counting->base + "\\out");
    if (start) counting->Inner().ChangeCurrentFolder(*start);
    calls = platform.calls;
  }
  ASSERT_GT(calls, 100u);
  bool firstFullPath = true;
  // One more than the calls of a clean run: a call number that is never reached changes nothing.
  for (std::size_t n = 1; n <= calls + 1; ++n) {
    const Outcome run = RunFailing(make, n);
    const std::string where = "call " + std::to_string(n) + " failing: " + run.failedCall;
    const StepFailure expected = ExpectedFailure(run.failedCall, firstFullPath);
    if (Method(run.failedCall) == "FullPath") firstFullPath = false;

    EXPECT_EQ(run.outside, outsideBefore) << where << ": something outside the root changed";
    // A time that cannot be read cannot be compared, so the copy goes ahead and may replace
    // one newer file with the cached one; every other file stays.
    std::size_t lost = 0;
    for (const std::string& content : contentsBefore) {
      lost += run.contents.count(content) == 0;
    }
    const bool timeUnread = Method(run.failedCall).rfind("ReadLastWriteTime", 0) == 0;
    EXPECT_LE(lost, timeUnread ? 1u : 0u) << where << ": files gone from the root";
    const std::size_t errors = CountBoxes(run, kErrorCaption.fallback, BoxIcon::kError);
    const std::size_t warnings = CountBoxes(run, kErrCopyCaption.fallback, BoxIcon::kWarning);
    EXPECT_EQ(errors + warnings, run.boxes.size()) << where << ": a box of another kind";
    // A walk that ends early may end before any hostile URL: nothing failed then.
    const bool noneFailed = expected.status == kExitNotAllExported && warnings == 0;
    EXPECT_EQ(run.status, noneFailed ? kExitOk : expected.status) << where;
    if (expected.errorText != nullptr) {
      ASSERT_EQ(errors, 1u) << where;
      for (const FakePlatform::Box& box : run.boxes) {
        if (box.icon == BoxIcon::kError) {
          EXPECT_EQ(box.text.rfind(expected.errorText, 0), 0u) << where;
        }
      }
    } else {
      EXPECT_EQ(errors, 0u) << where;
    }
    if (expected.status == kExitNotAllExported || expected.status == kExitNoListing) {
      // A failing step costs at most one entry its copy, or one box its showing; the walk ending
      // early, or no rules, leave fewer warnings or more.
      const std::string method = Method(run.failedCall);
      if (method != "ContinueCacheWalk" && method != "ReadProfileSection" &&
          !WritesListing(run.failedCall)) {
        EXPECT_LE(warnings, cleanWarnings + 1) << where;
        EXPECT_GE(warnings + 1, cleanWarnings) << where;
        EXPECT_EQ(run.listing, clean.listing) << where << ": the listing differs";
      }
    }
  }
}

TEST(FailingStep, EveryCallOfTheInMemoryPlatformFailingInTurnKeepsTheRunSafe) {
  EveryCallFailingInTurnKeepsTheRunSafe(&MakeFake);
}

TEST(FailingStep, EveryCallOfTheSystemPlatformFailingInTurnKeepsTheRunSafe) {
#ifdef _WIN32
  char temp[MAX_PATH];
  ASSERT_NE(::GetTempPathA(MAX_PATH, temp), 0u);
  const std::string scratch = std::string(temp) + "murel-failing-step";
  struct Removed {
    const std::string& path;
    ~Removed() {
      std::error_code ignored;
      std::filesystem::remove_all(path, ignored);
    }
  } removed{scratch};
  ASSERT_TRUE(::CreateDirectoryA(scratch.c_str(), nullptr)) << scratch;
#else
  const ScratchFolder folder("failing-step");
  ASSERT_FALSE(folder.path().empty());
  std::string scratch = "Z:" + folder.path().string();
  for (char& c : scratch) c = c == '/' ? '\\' : c;
#endif
  // Each subject gets a folder of its own, since runs that fail the same call repeat.
  std::size_t made = 0;
  EveryCallFailingInTurnKeepsTheRunSafe([&]() -> std::unique_ptr<Subject> {
    auto subject = std::make_unique<SystemSubject>(scratch + "\\" + std::to_string(++made));
    subject->CreateFolder(subject->base);
    SetUpFiles(*subject, subject->walkSource.cache);
    return subject;
  });
}

}  // namespace
}  // namespace murel

// A whole export on the fake platform, run once for every platform call with that one call
// failing. Whichever step fails, the run must end with the status and boxes its failure rules
// give, change nothing outside the export root, and keep every file that was under the root.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "run/run_driver.h"
#include "support/fake_platform.h"
#include "text/messages.h"

namespace murel {
namespace {

constexpr const char* kTail = "C:\\out";
constexpr FileTime kCacheTime = 2000;

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

bool UnderRoot(const std::string& path) { return Upper(path).rfind("C:\\OUT\\", 0) == 0; }

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

// Content of the cached file for URL number `i` (a missing file for one of them).
std::string CacheFile(std::size_t i) { return "C:\\cache\\" + std::to_string(i) + ".bin"; }
std::string CachedContent(std::size_t i) { return "content " + std::to_string(i); }

void SetUpPlatform(FakePlatform& platform) {
  platform.AddFile("C:\\work\\murel.ini", kRules);
  platform.AddFile("C:\\outside\\keep.txt", "outside", 9000);
  platform.AddFile("C:\\outer\\keep.txt", "beside the root", 9000);
  platform.AddDirectory(*platform.userCacheFolder);
  const std::vector<std::string> urls = Urls();
  for (std::size_t i = 0; i < urls.size(); ++i) {
    if (urls[i] != "http://host/missing.gif") {
      platform.AddFile(CacheFile(i), CachedContent(i), kCacheTime);
    }
    platform.cache.push_back({urls[i], CacheFile(i), i % 7 == 3 ? 3000u : 0u});
  }
  // What an earlier run left, newer than the cache so that no copy replaces it: a page where a
  // directory is now needed, and the page of a URL that is in the cache; and a file of the user's
  // own.
  platform.AddFile("C:\\out\\http\\host\\docs", "earlier docs", 9000);
  platform.AddFile("C:\\out\\http\\other\\index.html", "edited by the user", 9000);
  platform.AddFile("C:\\out\\http\\host\\notes\\mine.txt", "the user's own", 9000);
}

// Everything outside the root but the folder where murel keeps what spares it work.
std::map<std::string, std::string> Outside(const FakePlatform& platform) {
  const std::string own = Upper(*platform.userCacheFolder + "\\murel");
  std::map<std::string, std::string> outside;
  for (const std::string& path : platform.Tree()) {
    if (!UnderRoot(path) && Upper(path).rfind(own, 0) != 0) {
      outside[path] = platform.Content(path).value_or("<directory>");
    }
  }
  return outside;
}

std::multiset<std::string> ContentsUnderRoot(const FakePlatform& platform) {
  std::multiset<std::string> contents;
  for (const std::string& path : platform.Tree()) {
    if (UnderRoot(path) && platform.IsFile(path)) contents.insert(*platform.Content(path));
  }
  return contents;
}

// The method named by one line of the platform's call log.
std::string Method(const std::string& logLine) { return logLine.substr(0, logLine.find(' ')); }

// Whether a line of the call log is a step in writing the listing.
bool WritesListing(const std::string& logLine) {
  const std::string method = Method(logLine);
  return logLine.find(" C:\\out\\urls.txt ") != std::string::npos &&
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

Outcome RunFailing(std::size_t failingCall) {
  FakePlatform platform;
  SetUpPlatform(platform);
  platform.FailCall(failingCall);
  Outcome outcome;
  outcome.status = RunMurel(platform, kTail);
  outcome.boxes = platform.boxes;
  outcome.listing = platform.Content("C:\\out\\urls.txt").value_or("<none>");
  if (failingCall >= 1 && failingCall <= platform.log.size()) {
    outcome.failedCall = platform.log[failingCall - 1];
  }
  outcome.outside = Outside(platform);
  outcome.contents = ContentsUnderRoot(platform);
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
  if (method == "GetFullPathNameA" && firstFullPath)
    return {kExitBadArguments, kErrExportRoot.fallback};
  if (WritesListing(failedCall)) return {kExitNoListing, kErrListing.fallback};
  if (method == "FindFirstUrlCacheEntryA") return {kExitCacheUnopened, kErrOpenCache.fallback};
  return {kExitNotAllExported, nullptr};
}

TEST(FailingStep, EveryPlatformCallFailingInTurnKeepsTheRunSafe) {
  FakePlatform reference;
  SetUpPlatform(reference);
  const std::map<std::string, std::string> outsideBefore = Outside(reference);
  const std::multiset<std::string> contentsBefore = ContentsUnderRoot(reference);
  const Outcome clean = RunFailing(0);
  ASSERT_EQ(clean.status, kExitNotAllExported);
  const std::size_t cleanWarnings = CountBoxes(clean, kErrCopyCaption.fallback, BoxIcon::kWarning);
  ASSERT_EQ(cleanWarnings, clean.boxes.size()) << "a clean run shows copy warnings only";
  ASSERT_GT(cleanWarnings, 0u) << "the hostile URLs are reported";

  FakePlatform counting;
  SetUpPlatform(counting);
  RunMurel(counting, kTail);
  ASSERT_GT(counting.calls, 100u);
  bool firstFullPath = true;
  // One more than the calls of a clean run: a call number that is never reached changes nothing.
  for (std::size_t n = 1; n <= counting.calls + 1; ++n) {
    const Outcome run = RunFailing(n);
    const std::string where = "call " + std::to_string(n) + " failing: " + run.failedCall;
    const StepFailure expected = ExpectedFailure(run.failedCall, firstFullPath);
    if (Method(run.failedCall) == "GetFullPathNameA") firstFullPath = false;

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
      if (method != "FindNextUrlCacheEntryA" && method != "GetPrivateProfileSectionA" &&
          !WritesListing(run.failedCall)) {
        EXPECT_LE(warnings, cleanWarnings + 1) << where;
        EXPECT_GE(warnings + 1, cleanWarnings) << where;
        EXPECT_EQ(run.listing, clean.listing) << where << ": the listing differs";
      }
    }
  }
}

}  // namespace
}  // namespace murel

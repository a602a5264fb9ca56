#include "run/run_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string_view>
#include <vector>

#include "support/fake_platform.h"
#include "support/faulty_platform.h"
#include "support/firefox_entry_writer.h"
#include "support/index_dat_writer.h"

namespace murel {
namespace {

// A cache of three pages, one of which is also a directory, and rules that make paths of URLs.
class RunDriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform.currentDirectory = "C:\\work";
    platform.AddDirectory("C:\\work");
    platform.AddFile("C:\\work\\murel.ini",
                     "[all]\nscheme\nany\n://\n\\\n{empty}\n{empty}\n"
                     "slash\nany\n/\n\\\n{empty}\n{empty}\n");
    AddEntry("http://host/a", "C:\\cache\\0\\a.htm", "A", 10);
    AddEntry("http://host/a/b", "C:\\cache\\0\\b.htm", "B", 20);
    AddEntry("ftp://files/f.zip", "C:\\cache\\1\\f.zip", "F", 30);
  }
  void AddEntry(const std::string& url, const std::string& file, const std::string& content,
                FileTime time) {
    platform.AddFile(file, content, time);
    platform.cache.push_back({url, file, 0});
  }
  std::optional<std::string> Listing() { return platform.Content("C:\\out\\urls.txt"); }
  // Each file that the listing names holds the bytes of the URL it names there.
  void ExpectEveryListedFileHoldsItsUrl() {
    const std::optional<std::string> listing = Listing();
    ASSERT_TRUE(listing);
    for (std::size_t start = 0, end; (end = listing->find("\r\n", start)) != std::string::npos;
         start = end + 2) {
      const std::string line = listing->substr(start, end - start);
      const std::string url = line.substr(0, line.find('\t'));
      for (const FakePlatform::FakeEntry& entry : platform.cache) {
        if (entry.url == url) {
          EXPECT_EQ(platform.Content(line.substr(line.find('\t') + 1)),
                    platform.Content(entry.localFile))
              << url;
        }
      }
    }
  }
  // The tree but the user's cache folder, where murel keeps what spares it work.
  std::vector<std::string> OutsideOwnFolder() {
    std::vector<std::string> tree;
    for (const std::string& path : platform.Tree()) {
      if (path.rfind("C:\\Users\\", 0) != 0) tree.push_back(path);
    }
    return tree;
  }

  FakePlatform platform;
  FaultyPlatform faulty{platform};  // where a run makes its calls
};

TEST_F(RunDriverTest, ExportsEveryEntryWithItsListing) {
  EXPECT_EQ(RunMurel(faulty, "C:\\out"), kExitOk);
  EXPECT_EQ(Listing(),
            "http://host/a\tC:\\out\\http\\host\\a\r\n"
            "http://host/a/b\tC:\\out\\http\\host\\a\\b\r\n"
            "ftp://files/f.zip\tC:\\out\\ftp\\files\\f.zip\r\n");
  EXPECT_EQ(platform.Content("C:\\out\\http\\host\\a\\__"), "A");
  EXPECT_EQ(platform.Content("C:\\out\\http\\host\\a\\b"), "B");
  EXPECT_EQ(platform.Content("C:\\out\\ftp\\files\\f.zip"), "F");
  EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(RunDriverTest, SecondRunOverAnUnchangedCacheCopiesNothing) {
  ASSERT_EQ(RunMurel(faulty, "C:\\out"), kExitOk);
  faulty.log.clear();
  ASSERT_EQ(RunMurel(faulty, "C:\\out"), kExitOk);
  for (const std::string& line : faulty.log)
    EXPECT_EQ(line.find("CopyReplacing"), std::string::npos);
}

TEST_F(RunDriverTest, HelpShowsTheUsageBox) {
  EXPECT_EQ(RunMurel(faulty, "-h"), kExitOk);
  ASSERT_EQ(platform.boxes.size(), 1u);
  EXPECT_EQ(platform.boxes[0].icon, BoxIcon::kNone);
  EXPECT_FALSE(platform.IsDirectory("C:\\out"));
}

TEST_F(RunDriverTest, RelativeRootResolvesAgainstTheCurrentDirectory) {
  EXPECT_EQ(RunMurel(faulty, "-l exp\\"), kExitOk);
  EXPECT_EQ(platform.Content("C:\\work\\exp\\urls.txt"),
            "http://host/a\r\nhttp://host/a/b\r\nftp://files/f.zip\r\n");
}

TEST_F(RunDriverTest, ListOnlyCreatesOnlyTheRootAndTheListing) {
  const std::vector<std::string> before = OutsideOwnFolder();
  EXPECT_EQ(RunMurel(faulty, "-l C:\\out\\"), kExitOk);
  std::vector<std::string> expected = before;
  expected.push_back("C:\\out\\");
  expected.push_back("C:\\out\\urls.txt");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(OutsideOwnFolder(), expected);
}

TEST_F(RunDriverTest, TolvarFormatWritesNoListing) {
  EXPECT_EQ(RunMurel(faulty, "-e C:\\out"), kExitOk);
  EXPECT_FALSE(Listing());
  EXPECT_EQ(platform.Content("C:\\out\\host\\a\\b"), "B");
  EXPECT_EQ(platform.Content("C:\\out\\ftp\\files\\f.zip"), "F");
}

TEST_F(RunDriverTest, FilterSelectsByPrefix) {
  EXPECT_EQ(RunMurel(faulty, "-l C:\\out FTP://"), kExitOk);
  EXPECT_EQ(Listing(), "ftp://files/f.zip\r\n");
}

TEST_F(RunDriverTest, NamedCacheIsReadFromItsFolder) {
  IndexDatWriter index;
  const std::uint8_t directory = index.AddDirectory("AB12CD34");
  index.AddTable();
  index.AddUrl("http://named/page", "page[1].htm", directory);
  const std::vector<unsigned char> bytes = index.Bytes();
  platform.AddFile("D:\\old cache\\index.dat", std::string(bytes.begin(), bytes.end()));
  platform.AddFile("D:\\old cache\\AB12CD34\\page[1].htm", "named", 900);
  EXPECT_EQ(RunMurel(faulty, "-c \"D:\\old cache\" C:\\out"), kExitOk);
  EXPECT_EQ(platform.Content("C:\\out\\http\\named\\page"), "named");
  EXPECT_EQ(platform.TimeOf("C:\\out\\http\\named\\page"), 900u);
}

// A browser cache that holds only what does not export (a redirect) opened all the same: the run
// ends normally with an empty listing, unlike a WinINet cache without entries.
TEST_F(RunDriverTest, BrowserCacheWithNothingToExportIsAnEmptyRun) {
  FirefoxEntryPlan redirect;
  redirect.elements = {{"request-method", "GET"},
                       {"response-head", "HTTP/1.1 302 Found\r\nLocation: /b\r\n"}};
  platform.AddFile("D:\\profile\\cache2\\entries\\" + std::string(40, 'A'),
                   FirefoxEntryFile(redirect));
  EXPECT_EQ(RunMurel(faulty, "-c D:\\profile C:\\out"), kExitOk);
  EXPECT_EQ(Listing(), "");
  EXPECT_TRUE(platform.boxes.empty());

  IndexDatWriter empty;
  empty.AddTable();
  const std::vector<unsigned char> bytes = empty.Bytes();
  platform.AddFile("D:\\ie\\index.dat", std::string(bytes.begin(), bytes.end()));
  EXPECT_EQ(RunMurel(faulty, "-nm -c D:\\ie C:\\out"), kExitCacheUnopened);
}

// URLs with control bytes would forge listing lines and make names that hold them: such an
// entry fails like a failed copy, one listing line for one entry, and the run goes on.
TEST_F(RunDriverTest, EntryWhoseUrlHoldsControlBytesFailsOnOneLine) {
  const std::string folder = "D:\\profile\\cache2\\entries\\";
  FirefoxEntryPlan forged;
  forged.key = ":http://bank/login\t/etc/passwd\nhttp://evil/x\tC:\\evil\n";
  platform.AddFile(folder + std::string(40, 'A'), FirefoxEntryFile(forged));
  forged.key = ":http://h/bell\x07\x7f";
  platform.AddFile(folder + std::string(40, 'B'), FirefoxEntryFile(forged));
  FirefoxEntryPlan plain;
  plain.key = ":http://h/plain";
  platform.AddFile(folder + std::string(40, 'C'), FirefoxEntryFile(plain));

  EXPECT_EQ(RunMurel(faulty, "-c D:\\profile C:\\out"), kExitNotAllExported);
  std::vector<std::string> urls;
  const std::string listing = Listing().value_or("");
  for (std::string_view rest = listing; !rest.empty();) {
    const std::size_t end = rest.find("\r\n");
    urls.emplace_back(rest.substr(0, std::min(end, rest.find('\t'))));
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 2);
  }
  EXPECT_EQ(urls, (std::vector<std::string>{
                      "http://bank/login%09/etc/passwd%0Ahttp://evil/x%09C:\\evil%0A",
                      "http://h/bell%07%7F", "http://h/plain"}));
  EXPECT_EQ(platform.boxes.size(), 2u);
  EXPECT_EQ(platform.Content("C:\\out\\http\\h\\plain"), "body");
  EXPECT_FALSE(platform.IsDirectory("C:\\out\\http\\bank"));
}

TEST_F(RunDriverTest, UnopenedCacheLeavesAnEmptyListingAndEndsWithStatusOne) {
  faulty.FailOn(FaultyPlatform::Op::kCacheOpen);
  EXPECT_EQ(RunMurel(faulty, "C:\\out"), kExitCacheUnopened);
  EXPECT_EQ(Listing(), "");
  ASSERT_EQ(platform.boxes.size(), 1u);
  EXPECT_EQ(platform.boxes[0].icon, BoxIcon::kError);
  EXPECT_EQ(platform.boxes[0].caption, "\xCE\xF8\xE8\xE1\xEA\xE0");  // "Error" in Windows-1251

  platform.boxes.clear();
  EXPECT_EQ(RunMurel(faulty, "-nm C:\\out"), kExitCacheUnopened);
  EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(RunDriverTest, EmptyCacheCannotBeOpened) {
  platform.cache.clear();
  EXPECT_EQ(RunMurel(faulty, "-nm C:\\out"), kExitCacheUnopened);
}

TEST_F(RunDriverTest, UnusableRootsEndWithStatusTwo) {
  const std::string tooLong = "C:\\" + std::string(289, 'r');  // 293 with the "\" added
  for (const std::string& tail : {std::string("\"\""), std::string("-l  C:\\out"), tooLong}) {
    platform.boxes.clear();
    EXPECT_EQ(RunMurel(faulty, tail), kExitBadArguments) << tail;
    EXPECT_EQ(platform.boxes.size(), 1u) << tail;
  }
  faulty.FailOn(FaultyPlatform::Op::kFullPath);
  EXPECT_EQ(RunMurel(faulty, "-nm C:\\out"), kExitBadArguments);
  EXPECT_FALSE(platform.IsDirectory("C:\\out"));
}

TEST_F(RunDriverTest, RootOfMaximalLengthIsTaken) {
  const std::string root = "C:\\" + std::string(287, 'r') + "\\";  // 291 characters
  EXPECT_EQ(RunMurel(faulty, "-l " + root), kExitOk);
  EXPECT_TRUE(platform.IsFile(root + "urls.txt"));
}

TEST_F(RunDriverTest, ListingThatCannotBeWrittenEndsWithStatusThree) {
  faulty.FailOn(FaultyPlatform::Op::kCreateBody, "C:\\out\\urls.txt");
  EXPECT_EQ(RunMurel(faulty, "C:\\out"), kExitNoListing);
  EXPECT_EQ(platform.boxes.size(), 1u);
  EXPECT_FALSE(platform.IsDirectory("C:\\out\\http"));  // nothing exported without a listing

  FakePlatform full;
  full.cache = platform.cache;
  FaultyPlatform fullCalls(full);
  fullCalls.FailOn(FaultyPlatform::Op::kCommitBody, "C:\\out\\urls.txt");
  EXPECT_EQ(RunMurel(fullCalls, "-nm -l C:\\out"), kExitNoListing);
  EXPECT_TRUE(full.boxes.empty());
}

// An archive that cannot be begun ends the run with status 3 before anything is exported, and
// one whose path cannot be resolved before the export root is even made; the listing of an
// earlier run stays as it was.
TEST_F(RunDriverTest, ArchiveThatCannotBeBegunEndsWithStatusThree) {
  platform.AddFile("C:\\out\\urls.txt", "earlier");
  EXPECT_EQ(RunMurel(faulty, "--warc C:\\missing\\a.warc C:\\out"), kExitNoListing);
  ASSERT_EQ(platform.boxes.size(), 1u);
  EXPECT_NE(platform.boxes[0].text.find("C:\\missing\\a.warc"), std::string::npos);
  EXPECT_EQ(Listing(), "earlier");
  EXPECT_FALSE(platform.IsDirectory("C:\\out\\http"));

  const std::string tooLong = "C:\\" + std::string(600, 'w') + ".warc";
  EXPECT_EQ(RunMurel(faulty, "-nm --warc " + tooLong + " C:\\new"), kExitNoListing);
  EXPECT_FALSE(platform.IsDirectory("C:\\new"));

  EXPECT_EQ(RunMurel(faulty, "-nm --warc C:\\a.warc C:\\out"), kExitOk);
  EXPECT_NE(platform.Content("C:\\a.warc").value_or("").find("WARC/1.1"), std::string::npos);
}

// Long URLs take numbered names in the order the cache gives them. When that order changes, a
// name that held another URL's newer bytes is written again; an unchanged run copies nothing.
TEST_F(RunDriverTest, LongUrlsInAChangedOrderEachHoldTheirOwnBytes) {
  platform.cache.clear();
  const std::string tail = std::string(300, 'x') + ".js";
  AddEntry("http://host/older/" + tail, "C:\\cache\\older", "older", 100);
  AddEntry("http://host/newer/" + tail, "C:\\cache\\newer", "newer", 200);
  ASSERT_EQ(RunMurel(faulty, "-nm C:\\out"), kExitOk);
  ExpectEveryListedFileHoldsItsUrl();

  std::swap(platform.cache[0], platform.cache[1]);
  ASSERT_EQ(RunMurel(faulty, "-nm C:\\out"), kExitOk);
  ExpectEveryListedFileHoldsItsUrl();
  faulty.log.clear();
  ASSERT_EQ(RunMurel(faulty, "-nm C:\\out"), kExitOk);
  for (const std::string& line : faulty.log) {
    EXPECT_EQ(line.find("CopyReplacing"), std::string::npos) << line;
    EXPECT_EQ(line.find("RemoveFile C:\\out\\longurls"), std::string::npos) << line;
  }

  // A run whose listing could not be put in place wrote names against the listing that stays:
  // that listing no longer tells which URL a name holds.
  std::swap(platform.cache[0], platform.cache[1]);
  faulty.FailOn(FaultyPlatform::Op::kCommitBody, "C:\\out\\urls.txt");
  ASSERT_EQ(RunMurel(faulty, "-nm C:\\out"), kExitNoListing);
  faulty.ClearFailures();
  std::swap(platform.cache[0], platform.cache[1]);
  ASSERT_EQ(RunMurel(faulty, "-nm C:\\out"), kExitOk);
  ExpectEveryListedFileHoldsItsUrl();
}

TEST_F(RunDriverTest, UrlsTxtIsNoExportTarget) {
  AddEntry("urls.txt", "C:\\cache\\forged", "forged listing", 9000);
  AddEntry("http://.murel-memo", "C:\\cache\\memo", "forged memo", 9000);
  ASSERT_EQ(RunMurel(faulty, "C:\\out"), kExitNotAllExported);
  EXPECT_EQ(Listing(),
            "http://host/a\tC:\\out\\http\\host\\a\r\n"
            "http://host/a/b\tC:\\out\\http\\host\\a\\b\r\n"
            "ftp://files/f.zip\tC:\\out\\ftp\\files\\f.zip\r\n"
            "urls.txt\tC:\\out\\urls.txt\r\n"
            "http://.murel-memo\tC:\\out\\http\\.murel-memo\r\n");
  ASSERT_EQ(platform.boxes.size(), 1u);
  EXPECT_EQ(platform.boxes[0].text, "C:\\cache\\forged");
  // Without "http://", the other one names the root's file.
  ASSERT_EQ(RunMurel(faulty, "-nm -e C:\\out"), kExitNotAllExported);
  EXPECT_FALSE(platform.IsFile("C:\\out\\.murel-memo"));
  EXPECT_NE(Listing()->find("urls.txt\t"), std::string::npos);
}

TEST_F(RunDriverTest, UnknownOptionEndsWithStatusTwo) {
  EXPECT_EQ(RunMurel(faulty, "-x C:\\out"), kExitBadArguments);
  ASSERT_EQ(platform.boxes.size(), 1u);
  EXPECT_NE(platform.boxes[0].text.find("-x"), std::string::npos);
  EXPECT_FALSE(platform.IsDirectory("C:\\out"));
}

TEST_F(RunDriverTest, RunWithoutArgumentsExportsIntoTheProgramDirectory) {
  platform.moduleFileName = "C:\\prog\\murel.exe";
  platform.AddDirectory("C:\\prog");
  faulty.FailOn(FaultyPlatform::Op::kCacheOpen);
  EXPECT_EQ(RunMurel(faulty, ""), kExitCacheUnopened);
  EXPECT_TRUE(platform.IsFile("C:\\prog\\urls.txt"));
}

// A copy that fails lets the run go on, and the status tells it, quiet or not; a listing that
// cannot be written still says so first.
TEST_F(RunDriverTest, FailedCopyEndsWithStatusFourAfterTheOtherEntries) {
  faulty.FailOn(FaultyPlatform::Op::kCopyReplacing, "C:\\cache\\0\\b.htm");
  EXPECT_EQ(RunMurel(faulty, "C:\\out"), kExitNotAllExported);
  EXPECT_EQ(platform.Content("C:\\out\\ftp\\files\\f.zip"), "F");
  EXPECT_EQ(platform.boxes.size(), 1u);
  platform.boxes.clear();
  EXPECT_EQ(RunMurel(faulty, "-nm C:\\out"), kExitNotAllExported);
  EXPECT_TRUE(platform.boxes.empty());
  faulty.FailOn(FaultyPlatform::Op::kAppendBody, "C:\\out\\urls.txt");
  EXPECT_EQ(RunMurel(faulty, "-nm C:\\out"), kExitNoListing);
}

// The Windows program shows what it always has when it runs without rules: a box for each failure.
TEST_F(RunDriverTest, WindowsRunWithoutRulesShowsTheFailuresAlone) {
  platform.RemoveFile("C:\\work\\murel.ini");
  EXPECT_EQ(RunMurel(faulty, "C:\\out"), kExitNotAllExported);
  ASSERT_EQ(platform.boxes.size(), 3u);
  EXPECT_EQ(platform.boxes[0].text, "C:\\cache\\0\\a.htm");
}

}  // namespace
}  // namespace murel

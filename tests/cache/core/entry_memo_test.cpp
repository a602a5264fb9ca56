// The memo of entry files that lets a re-run over an unchanged browser cache skip reading it:
// what is read again, and that a memo which cannot be trusted changes nothing.
#include "cache/core/entry_memo.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "cache/core/http_date.h"
#include "run/run_driver.h"
#include "support/fake_platform.h"
#include "support/faulty_platform.h"
#include "support/firefox_entry_writer.h"

namespace murel {
namespace {

const std::string kEntries = "D:\\profile\\cache2\\entries\\";
const std::string kOwnFolder = "C:\\Users\\me\\AppData\\Local\\murel\\";
constexpr FileTime kSecond = 10000000;
constexpr FileTime kWritten = 1000 * kSecond;

std::string EntryName(char c) { return std::string(40, c); }

std::string Entry(const std::string& url, const std::string& body, const char* status = "200 OK",
                  std::uint32_t stored = 1700000000) {
  FirefoxEntryPlan plan;
  plan.lastModified = stored;
  plan.key = ":" + url;
  plan.data = body;
  plan.elements = {{"request-method", "GET"},
                   {"response-head", std::string("HTTP/1.1 ") + status + "\r\n"}};
  return FirefoxEntryFile(plan);
}

// A Firefox cache of two pages and a redirect, exported at a time well after it was written.
class EntryMemoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform.AddFile(platform.currentDirectory + "\\murel.ini",
                     "[all]\nscheme\nany\n://\n\\\n{empty}\n{empty}\n"
                     "slash\nany\n/\n\\\n{empty}\n{empty}\n");
    platform.AddFile(kEntries + EntryName('A'), Entry("http://h/a", "page a"), kWritten);
    platform.AddFile(kEntries + EntryName('B'), Entry("http://h/b", "page b"), kWritten);
    platform.AddFile(kEntries + EntryName('C'), Entry("http://h/c", "", "302 Found"), kWritten);
    platform.now = kWritten + 60 * kSecond;
  }

  // Runs an export and gives the entry files it opened, by their last letter.
  std::string Run() {
    faulty.log.clear();
    EXPECT_EQ(RunMurel(faulty, "-nm -c D:\\profile C:\\out"), kExitOk);
    std::string opened;
    for (const std::string& line : faulty.log) {
      if (line.rfind("OpenFileForReading " + kEntries, 0) == 0) {
        opened += line[("OpenFileForReading " + kEntries).size()];
      }
    }
    return opened;
  }

  // Everything below the root, with the files' contents and times.
  std::string Export() {
    std::string text;
    for (const std::string& path : platform.Tree()) {
      if (path.rfind("C:\\out\\", 0) != 0) continue;
      text += path + "=" + platform.Content(path).value_or("") + "@" +
              std::to_string(platform.TimeOf(path).value_or(0)) + "\n";
    }
    return text;
  }

  // The memos in murel's folder of the user's cache.
  std::vector<std::string> Memos() {
    std::vector<std::string> memos;
    for (const std::string& path : platform.Tree()) {
      if (path.rfind(kOwnFolder, 0) == 0 && path.size() > 5 &&
          path.compare(path.size() - 5, 5, ".memo") == 0) {
        memos.push_back(path);
      }
    }
    return memos;
  }

  FakePlatform platform;
  FaultyPlatform faulty{platform};  // where a run makes its calls, logged
};

TEST_F(EntryMemoTest, ReRunReadsOnlyWhatChangedOrWasWrittenTooCloseToTheLastRun) {
  EXPECT_EQ(Run(), "ABC");
  const std::string first = Export();
  ASSERT_EQ(Memos().size(), 1u);
  const std::string memo = Memos()[0];
  EXPECT_EQ(Run(), "");
  EXPECT_EQ(Export(), first);
  // Nothing changed: the memo is kept as it is, not written again.
  EXPECT_EQ(std::count(faulty.log.begin(), faulty.log.end(), "CreateBodyWriter " + memo + " -> ok"),
            0);

  // A page fetched again: another body and time under the same name. A file written within two
  // seconds before the last run began may have changed unseen, and is read again too.
  platform.AddFile(kEntries + EntryName('B'),
                   Entry("http://h/b", "page b, again", "200 OK", 1700000100),
                   kWritten + 5 * kSecond);
  platform.AddFile(kEntries + EntryName('C'), Entry("http://h/c", "", "302 Found"),
                   platform.now - kSecond);
  platform.now += 60 * kSecond;
  EXPECT_EQ(Run(), "BC");
  EXPECT_EQ(platform.Content("C:\\out\\http\\h\\b"), "page b, again");
  EXPECT_EQ(Run(), "");

  // Another cache, or another export root, has a memo of its own.
  platform.AddFile(kEntries.substr(0, 3) + "other\\cache2\\entries\\" + EntryName('A'),
                   Entry("http://h/a", "page a"), kWritten);
  EXPECT_EQ(RunMurel(platform, "-nm -c D:\\other C:\\out"), kExitOk);
  EXPECT_EQ(RunMurel(platform, "-nm -c D:\\profile C:\\out2"), kExitOk);
  EXPECT_EQ(Memos().size(), 3u);
  EXPECT_EQ(Run(), "");
  // A memo made for another cache folder is left aside.
  for (const std::string& other : Memos()) {
    if (platform.Content(other)->find("D:\\other\\") != std::string::npos) {
      platform.AddFile(memo, *platform.Content(other), kWritten);
    }
  }
  EXPECT_EQ(Run(), "ABC");
}

// A page fetched again within one second, the server's Date unchanged, and the same length: the
// entry file's later time makes the re-run read it and write the new body over the old one.
TEST_F(EntryMemoTest, EntryWrittenAgainWithinTheSameSecondIsExportedAgain) {
  const char* dated = "200 OK\r\nDate: Tue, 14 Nov 2023 22:13:20 GMT";
  const FileTime second = FileTimeOfUnixSeconds(1700000000);
  platform.AddFile(kEntries + EntryName('B'), Entry("http://h/b", "page b", dated), second + 1);
  platform.now = second + 60 * kSecond;
  EXPECT_EQ(Run(), "ABC");
  platform.AddFile(kEntries + EntryName('B'), Entry("http://h/b", "page B", dated),
                   second + kSecond / 2);
  platform.now += 60 * kSecond;
  EXPECT_EQ(Run(), "B");
  EXPECT_EQ(platform.Content("C:\\out\\http\\h\\b"), "page B");
}

// Whatever a run is asked to do, the export root holds the listing (unless "-e") and the
// exported files, and nothing of murel's own; a memo an earlier version left there is removed.
TEST_F(EntryMemoTest, ExportRootHoldsOnlyTheListingAndTheExports) {
  struct Case {
    const char* arguments;
    const char* tree;  // below the root
  };
  const Case cases[] = {
      {"C:\\o1", "http\\|http\\h\\|http\\h\\a|http\\h\\b|urls.txt|"},
      {"C:\\o1", "http\\|http\\h\\|http\\h\\a|http\\h\\b|urls.txt|"},  // a re-run
      {"-l C:\\o2", "urls.txt|"},
      {"-e C:\\o3", "h\\|h\\a|h\\b|"},
      {"C:\\o4 http://h/a", "http\\|http\\h\\|http\\h\\a|urls.txt|"},
  };
  for (const Case& c : cases) {
    const std::string arguments = c.arguments;
    const std::string root = arguments.substr(arguments.find("C:"), 5) + "\\";
    platform.AddFile(root + ".murel-memo", "murel entry memo 1\t0\tD:\\profile\n");
    ASSERT_EQ(RunMurel(platform, "-nm -c D:\\profile " + arguments), kExitOk);
    std::string tree;
    for (const std::string& path : platform.Tree()) {
      if (path.rfind(root, 0) == 0 && path != root) tree += path.substr(root.size()) + "|";
    }
    EXPECT_EQ(tree, c.tree) << arguments;
  }
}

// A memo that cannot be read or written, no user cache folder at all, or one where no folder can
// be made: every run reads the whole cache and exports what a first run does, with no message.
TEST_F(EntryMemoTest, MemoThatCannotBeKeptCostsOnlyTheReading) {
  Run();
  const std::string first = Export();
  ASSERT_EQ(Memos().size(), 1u);
  faulty.FailOn(FaultyPlatform::Op::kOpenFile, Memos()[0]);
  faulty.FailOn(FaultyPlatform::Op::kCommitBody, Memos()[0]);
  platform.AddFile("C:\\blocked", "a file where the folder would be");
  for (const char* folder : {"", "-", "C:\\blocked"}) {
    if (*folder == '-') platform.userCacheFolder.reset();
    if (*folder == 'C') platform.userCacheFolder = folder;
    platform.AddFile("C:\\out\\http\\h\\a", "stale", kWritten - kSecond);
    EXPECT_EQ(Run(), "ABC") << folder;
    EXPECT_EQ(Export(), first) << folder;
    EXPECT_TRUE(platform.boxes.empty()) << folder;
  }
}

// A memo that is cut, scrambled or forged in its numbers gives the export of a first run.
TEST_F(EntryMemoTest, MemoThatCannotBeTrustedChangesNothing) {
  Run();
  const std::string first = Export();
  ASSERT_EQ(Memos().size(), 1u);
  const std::string kMemo = Memos()[0];
  const std::string memo = *platform.Content(kMemo);
  const std::size_t secondLine = memo.find('\n') + 1;
  std::string numbers = memo;
  std::replace(numbers.begin() + static_cast<std::ptrdiff_t>(secondLine), numbers.end(), '1', 'x');
  std::string unsorted = memo.substr(0, secondLine);
  for (std::size_t line = memo.size() - 1; line > secondLine;) {
    const std::size_t start = memo.rfind('\n', line - 1) + 1;
    unsorted += memo.substr(start, line - start + 1);
    line = start - 1;
  }
  for (const std::string& damaged :
       {memo.substr(0, memo.size() - 2), "x" + memo, numbers, unsorted,
        memo.substr(0, secondLine) + std::string(100000, 'A') + memo.substr(secondLine)}) {
    platform.AddFile(kMemo, damaged, kWritten);
    platform.AddFile("C:\\out\\http\\h\\a", "stale", kWritten - kSecond);
    Run();
    EXPECT_EQ(Export(), first) << damaged.substr(0, 200);
  }
}

// A size past 64 bits is no memo's, even one that wraps around to the file's own: the file is read
// again.
TEST_F(EntryMemoTest, SizePastSixtyFourBitsIsNotTrusted) {
  Run();
  ASSERT_EQ(Memos().size(), 1u);
  const std::string memo = *platform.Content(Memos()[0]);
  const std::size_t size = memo.find(EntryName('A') + "\t") + 41;
  const std::size_t end = memo.find('\t', size);
  // 2^64 plus the file's size, added digit by digit.
  std::string digits = "18446744073709551616";
  std::uint64_t carry = std::stoull(memo.substr(size, end - size));
  for (std::size_t i = digits.size(); carry != 0; carry /= 10) {
    carry += static_cast<std::uint64_t>(digits[--i] - '0');
    digits[i] = static_cast<char>('0' + carry % 10);
  }
  platform.AddFile(Memos()[0], memo.substr(0, size) + digits + memo.substr(end), kWritten);
  EXPECT_EQ(Run(), "A");
}

}  // namespace
}  // namespace murel

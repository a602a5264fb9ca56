#include "export/copy_if_newer.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "support/fake_platform.h"
#include "support/faulty_platform.h"
#include "support/local_entry.h"
#include "text/messages.h"

namespace murel {
namespace {

using Op = FaultyPlatform::Op;

constexpr const char* kSource = "C:\\cache\\f";
constexpr const char* kTarget = "C:\\out\\page";
constexpr FileTime kSourceTime = 500;

enum class Existing { kNothing, kFile, kDirectory, kDirectoryWithPage };

struct CopyCase {
  const char* name;
  Existing existing;
  FileTime targetTime;
  std::vector<std::pair<Op, std::string>> failures;
  bool copied;
  bool reported;
  bool sourceMissing = false;
};

void PrintTo(const CopyCase& row, std::ostream* out) { *out << row.name; }

class CopyIfNewerTest : public ::testing::TestWithParam<CopyCase> {
 protected:
  FakePlatform fake;
  FaultyPlatform faulty{fake};  // where the copy makes its calls
  TextOptions settings;
  BoxReporter reporter{fake, settings};
};

// Where the file for the target is: the target itself, or the "__" page of a directory there.
std::string Destination(Existing existing) {
  return existing == Existing::kDirectory || existing == Existing::kDirectoryWithPage
             ? std::string(kTarget) + "\\__"
             : std::string(kTarget);
}

TEST_P(CopyIfNewerTest, CopiesOnlyWhatIsNewerAndReportsFailures) {
  const CopyCase& row = GetParam();
  fake.AddDirectory("C:\\out");
  if (!row.sourceMissing) fake.AddFile(kSource, "new", kSourceTime);
  if (row.existing == Existing::kFile) fake.AddFile(kTarget, "old", row.targetTime);
  if (row.existing == Existing::kDirectory) fake.AddDirectory(kTarget);
  if (row.existing == Existing::kDirectoryWithPage) {
    fake.AddFile(Destination(row.existing), "old", row.targetTime);
  }
  for (const auto& [op, path] : row.failures) faulty.FailOn(op, path);

  CopyIfNewer(faulty, reporter, LocalEntry(kSource), false, kTarget);

  const std::string destination = Destination(row.existing);
  if (row.copied) {
    EXPECT_EQ(fake.Content(destination), "new");
    EXPECT_EQ(fake.TimeOf(destination), kSourceTime);
  } else if (row.existing == Existing::kFile || row.existing == Existing::kDirectoryWithPage) {
    EXPECT_EQ(fake.Content(destination), "old");
    EXPECT_EQ(fake.TimeOf(destination), row.targetTime);
  } else {
    EXPECT_FALSE(fake.IsFile(destination));
  }
  ASSERT_EQ(fake.boxes.size(), row.reported ? 1u : 0u);
  if (row.reported) {
    EXPECT_EQ(fake.boxes[0].text, kSource);
    EXPECT_EQ(fake.boxes[0].caption, kErrCopyCaption.fallback);
    EXPECT_EQ(fake.boxes[0].icon, BoxIcon::kWarning);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CopyIfNewerTest,
    ::testing::Values(
        CopyCase{"NoTarget", Existing::kNothing, 0, {}, true, false},
        CopyCase{"OlderTarget", Existing::kFile, 499, {}, true, false},
        CopyCase{"EqualTimes", Existing::kFile, 500, {}, false, false},
        CopyCase{"NewerTarget", Existing::kFile, 501, {}, false, false},
        CopyCase{"LockedTarget", Existing::kFile, 900, {{Op::kOpenFile, kTarget}}, true, false},
        CopyCase{
            "TargetTimeUnreadable", Existing::kFile, 900, {{Op::kReadTime, kTarget}}, true, false},
        CopyCase{
            "SourceTimeUnreadable", Existing::kFile, 900, {{Op::kReadTime, kSource}}, true, false},
        CopyCase{"SourceMissing", Existing::kFile, 1, {}, false, false, true},
        CopyCase{"SourceUnopenable", Existing::kFile, 1, {{Op::kOpenFile, kSource}}, false, false},
        CopyCase{"DirectoryTarget", Existing::kDirectory, 0, {}, true, false},
        CopyCase{"DirectoryPageEqual", Existing::kDirectoryWithPage, 500, {}, false, false},
        CopyCase{"DirectoryPageOlder", Existing::kDirectoryWithPage, 1, {}, true, false},
        CopyCase{"CopyFails", Existing::kNothing, 0, {{Op::kCopyReplacing, ""}}, false, true},
        CopyCase{
            "CopyOverOlderFails", Existing::kFile, 1, {{Op::kCopyReplacing, ""}}, false, true}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(CopyIfNewer, QuietRunShowsNoBoxAndGoesOn) {
  FakePlatform fake;
  FaultyPlatform faulty(fake);
  TextOptions settings;
  settings.quiet = true;
  BoxReporter reporter(fake, settings);
  fake.AddFile(kSource, "new", kSourceTime);
  fake.AddFile("C:\\cache\\g", "next", kSourceTime);
  fake.AddDirectory("C:\\out");
  faulty.FailOn(Op::kCopyReplacing, kTarget);
  CopyIfNewer(faulty, reporter, LocalEntry(kSource), false, kTarget);
  CopyIfNewer(faulty, reporter, LocalEntry("C:\\cache\\g"), false, "C:\\out\\other");
  EXPECT_TRUE(fake.boxes.empty());
  EXPECT_EQ(fake.Content("C:\\out\\other"), "next");
}

TEST(CopyIfNewer, CaptionComesFromTheLanguageFile) {
  FakePlatform fake;
  TextOptions settings;
  BoxReporter reporter(fake, settings);
  fake.AddFile("C:\\work\\murel.lng", "[strings]\nerr_copy1=Copy failed\n");
  reporter.CopyFailed({kSource, "http://example.com/", kTarget, {}});
  ASSERT_EQ(fake.boxes.size(), 1u);
  EXPECT_EQ(fake.boxes[0].caption, "Copy failed");
  EXPECT_EQ(fake.boxes[0].text, kSource);
}

// A body the cache keeps at offset 4 of its file "C:\cache\data_1", gzip-encoded.
class StoredBodyCopyTest : public ::testing::Test {
 protected:
  StoredBodyCopyTest() {
    const std::string gzip(
        "\x1f\x8b\x08\x00\x00\x00\x00\x00\x02\x03\xcb\x4b\x2d\x07\x00"
        "\x45\x44\xe3\x6b\x03\x00\x00\x00",
        23);  // "new"
    fake.AddFile("C:\\cache\\data_1", "head" + gzip + "tail", 1);
    fake.AddFile(kTarget, "old", 400);
    entry.storedBody = StoredBody{"C:\\cache\\data_1", 4, gzip.size(), {"gzip"}, kSourceTime, {}};
  }

  FakePlatform fake;
  FaultyPlatform faulty{fake};  // where the copy makes its calls
  TextOptions settings;
  BoxReporter reporter{fake, settings};
  CacheEntry entry;
};

TEST_F(StoredBodyCopyTest, WritesTheDecodedBodyWithItsStoredTimeWhenNewer) {
  CopyIfNewer(faulty, reporter, entry, false, kTarget);
  EXPECT_EQ(fake.Content(kTarget), "new");
  EXPECT_EQ(fake.TimeOf(kTarget), kSourceTime);
  fake.AddFile(kTarget, "newer", kSourceTime);
  CopyIfNewer(faulty, reporter, entry, true, kTarget);
  EXPECT_EQ(fake.Content(kTarget), "newer") << "not older than the stored time";
  EXPECT_TRUE(fake.boxes.empty());
}

TEST_F(StoredBodyCopyTest, AFailureAtAnyStepLeavesTheOldFileAndIsReported) {
  for (const Op op :
       {Op::kOpenFile, Op::kReadFile, Op::kCreateBody, Op::kAppendBody, Op::kCommitBody}) {
    FakePlatform failing;
    failing.AddFile(kTarget, "old", 400);
    failing.AddFile("C:\\cache\\data_1", *fake.Content("C:\\cache\\data_1"), 1);
    FaultyPlatform failingCalls(failing);
    failingCalls.FailOn(op);
    BoxReporter failingReporter(failing, settings);
    CopyIfNewer(failingCalls, failingReporter, entry, false, kTarget);
    EXPECT_EQ(failing.Content(kTarget), "old") << static_cast<int>(op);
    EXPECT_EQ(failing.Tree().size(), 4u) << "a temporary stayed: " << static_cast<int>(op);
    ASSERT_EQ(failing.boxes.size(), 1u) << static_cast<int>(op);
    EXPECT_EQ(failing.boxes[0].text, "C:\\cache\\data_1");
  }
}

TEST_F(StoredBodyCopyTest, ABodyThatIsShortOrUndecodableIsReportedAndNotWritten) {
  entry.storedBody->size += 10;  // past the end of the cache file
  CopyIfNewer(faulty, reporter, entry, false, kTarget);
  entry.storedBody->size -= 11;  // the gzip stream cut short
  CopyIfNewer(faulty, reporter, entry, false, kTarget);
  EXPECT_EQ(fake.Content(kTarget), "old");
  EXPECT_EQ(fake.boxes.size(), 2u);
  CopyIfNewer(faulty, reporter, entry, true, kTarget);
  EXPECT_EQ(fake.Content(kTarget)->size(), entry.storedBody->size) << "--raw writes what is stored";
}

// Where the platform follows Unix conventions, each failure says where the body was to go and
// why, in the user's language; the Windows boxes keep the cache file alone.
TEST_F(StoredBodyCopyTest, AFailureSaysWhyWhereTheUserIsOnUnix) {
  fake.conventions = Conventions::kUnix;
  fake.userLanguage = "en";
  faulty.lastErrorText = "No space left on device";
  entry.url = "http://host/page";
  const auto reason = [this](const std::string& target, const std::string& destination) {
    fake.boxes.clear();
    CopyIfNewer(faulty, reporter, entry, false, target);
    EXPECT_EQ(fake.boxes.size(), 1u);
    if (fake.boxes.empty()) return std::string();
    const std::string head = "C:\\cache\\data_1\nhttp://host/page -> " + destination + "\n";
    EXPECT_EQ(fake.boxes[0].text.rfind(head, 0), 0u) << fake.boxes[0].text;
    EXPECT_EQ(fake.boxes[0].caption, "Copy error");
    return fake.boxes[0].text.substr(head.size());
  };
  faulty.FailOn(Op::kAppendBody, kTarget);
  EXPECT_EQ(reason(kTarget, kTarget), "the target cannot be written: No space left on device");
  // A folder at a page's name holds the page as "__": a folder there is in the way.
  fake.AddDirectory("C:\\out\\dir\\__");
  EXPECT_EQ(reason("C:\\out\\dir", "C:\\out\\dir\\__"), "the target is a folder");
  const std::string other = "C:\\out\\other";
  entry.storedBody->size -= 11;  // the gzip stream cut short
  EXPECT_EQ(reason(other, other), "the body cannot be decoded (gzip)");
  entry.storedBody->size += 100;  // past the end of the cache file
  EXPECT_EQ(reason(other, other), "the cache file does not hold the whole body");
  entry.storedBody->size -= 89;
  entry.storedBody->encodings.assign(9, "gzip");
  EXPECT_EQ(reason(other, other),
            "the body names more codings than murel undoes (gzip, gzip, gzip, gzip, gzip, gzip, "
            "gzip, gzip, gzip)");

  fake.conventions = Conventions::kWindows;
  fake.boxes.clear();
  CopyIfNewer(faulty, reporter, entry, false, other);
  ASSERT_EQ(fake.boxes.size(), 1u);
  EXPECT_EQ(fake.boxes[0].text, "C:\\cache\\data_1");
}

}  // namespace
}  // namespace murel

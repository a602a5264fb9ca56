#include "export/copy_if_newer.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "fake_platform.h"
#include "local_entry.h"
#include "text/messages.h"

namespace murel {
namespace {

using Op = FakePlatform::Op;

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
  for (const auto& [op, path] : row.failures) fake.FailOn(op, path);

  CopyIfNewer(fake, reporter, LocalEntry(kSource), kTarget);

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
        CopyCase{"CopyFails", Existing::kNothing, 0, {{Op::kCopyFile, ""}}, false, true},
        CopyCase{"CopyOverOlderFails", Existing::kFile, 1, {{Op::kCopyFile, ""}}, false, true}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(CopyIfNewer, QuietRunShowsNoBoxAndGoesOn) {
  FakePlatform fake;
  TextOptions settings;
  settings.quiet = true;
  BoxReporter reporter(fake, settings);
  fake.AddFile(kSource, "new", kSourceTime);
  fake.AddFile("C:\\cache\\g", "next", kSourceTime);
  fake.AddDirectory("C:\\out");
  fake.FailOn(Op::kCopyFile, kTarget);
  CopyIfNewer(fake, reporter, LocalEntry(kSource), kTarget);
  CopyIfNewer(fake, reporter, LocalEntry("C:\\cache\\g"), "C:\\out\\other");
  EXPECT_TRUE(fake.boxes.empty());
  EXPECT_EQ(fake.Content("C:\\out\\other"), "next");
}

TEST(CopyIfNewer, CaptionComesFromTheLanguageFile) {
  FakePlatform fake;
  TextOptions settings;
  BoxReporter reporter(fake, settings);
  fake.AddFile("C:\\work\\murel.lng", "[strings]\nerr_copy1=Copy failed\n");
  reporter.CopyFailed(kSource);
  ASSERT_EQ(fake.boxes.size(), 1u);
  EXPECT_EQ(fake.boxes[0].caption, "Copy failed");
  EXPECT_EQ(fake.boxes[0].text, kSource);
}

}  // namespace
}  // namespace murel

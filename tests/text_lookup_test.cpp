#include "text/text_lookup.h"

#include <gtest/gtest.h>

#include "fake_platform.h"
#include "text/reporter.h"

namespace murel {
namespace {

std::string Lines(const std::string& key, int count, const std::string& value) {
  std::string text;
  for (int line = 1; line <= count; ++line) {
    text += key + std::to_string(line) + "=" + value + "\n";
  }
  return text;
}

struct LookupCase {
  const char* name;
  std::string languageFile;  // the section "strings" and its lines; empty: no file at all
  std::string expected;      // "FALLBACK" stands for the fallback text
};

void PrintTo(const LookupCase& c, std::ostream* os) { *os << c.name; }

class TextLookupTest : public testing::TestWithParam<LookupCase> {};

TEST_P(TextLookupTest, JoinsLinesOrFallsBack) {
  const LookupCase& c = GetParam();
  FakePlatform platform;
  if (!c.languageFile.empty()) {
    platform.AddFile("C:\\work\\murel.lng", "[strings]\n" + c.languageFile);
  }
  const std::string text = GetText(platform, TextOptions(), "msg", "FALLBACK");
  EXPECT_EQ(text.size(), c.expected.size());
  EXPECT_EQ(text, c.expected);
  EXPECT_EQ(platform.currentDirectory, "C:\\work");
}

const std::string k499(499, 'x');

std::string Joined(int count, const std::string& value) {
  std::string text = value;
  for (int line = 2; line <= count; ++line) text += "\n" + value;
  return text;
}

INSTANTIATE_TEST_SUITE_P(
    Files, TextLookupTest,
    testing::Values(LookupCase{"NoFile", "", "FALLBACK"},
                    LookupCase{"OtherKeysOnly", "other1=x\n", "FALLBACK"},
                    LookupCase{"OneLine", "msg1=Hello\n", "Hello"},
                    LookupCase{"TwoLines", "msg1=Hello\nmsg2=World\n", "Hello\nWorld"},
                    LookupCase{"GapEndsMessage", "msg1=a\nmsg2=b\nmsg4=d\n", "a\nb"},
                    LookupCase{"EmptyLineEndsMessage", "msg1=a\nmsg2=\nmsg3=c\n", "a"},
                    LookupCase{"FirstLineMissing", "msg2=b\nmsg3=c\n", "FALLBACK"},
                    LookupCase{"FirstLineEmpty", "msg1=\nmsg2=b\n", "FALLBACK"},
                    LookupCase{"KeyIsNotPrefix", "msg10=x\nmsgx1=y\n", "FALLBACK"},
                    LookupCase{"LongLineCut", "msg1=" + std::string(600, 'x') + "\nmsg2=end\n",
                               k499 + "\nend"},
                    LookupCase{"TwentyNineLines", Lines("msg", 30, "ab"), Joined(29, "ab")},
                    // Twenty lines of 499 characters and their line feeds fill the 9999 characters
                    // exactly; the twenty-first would pass them and is left out whole.
                    LookupCase{"BoundedByWholeLines", Lines("msg", 29, k499), Joined(20, k499)}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(TextLookup, ProgramDirectoryBecomesCurrent) {
  FakePlatform platform;
  platform.AddFile("C:\\prog\\murel.lng", "[strings]\nmsg1=beside the program\n");
  platform.AddFile("C:\\work\\murel.lng", "[strings]\nmsg1=in the start directory\n");
  TextOptions settings;
  EXPECT_EQ(GetText(platform, settings, "msg", "F"), "in the start directory");
  EXPECT_EQ(platform.currentDirectory, "C:\\work");
  settings.programDir = "C:\\prog";
  EXPECT_EQ(GetText(platform, settings, "msg", "F"), "beside the program");
  settings.programDir.clear();
  EXPECT_EQ(GetText(platform, settings, "msg", "F"), "beside the program")
      << "the change of directory stays in force";
}

TEST(TextLookup, FailedDirectoryChangeReadsCurrentDirectory) {
  FakePlatform platform;
  platform.AddFile("C:\\work\\murel.lng", "[strings]\nmsg1=here\n");
  platform.FailOn(FakePlatform::Op::kSetCurrentDirectory);
  TextOptions settings;
  settings.programDir = "C:\\prog";
  EXPECT_EQ(GetText(platform, settings, "msg", "F"), "here");
}

TEST(TextLookup, MessageOverloadUsesKeyAndBuiltInText) {
  FakePlatform platform;
  EXPECT_EQ(GetText(platform, TextOptions(), Message{"m", "built in"}), "built in");
  platform.AddFile("C:\\work\\murel.lng", "[strings]\nm1=from file\n");
  EXPECT_EQ(GetText(platform, TextOptions(), Message{"m", "built in"}), "from file");
}

// A box text keeps the code page of each of its parts: the built-in text is Windows-1251, the
// path and a text from the language file are in the system's code page.
TEST(ShownTextTest, BuiltInTextsAreMarkedWindows1251AndTheRestSystem) {
  FakePlatform platform;
  TextOptions options;
  BoxReporter(platform, options).Error(kErrListing, "C:\\out\\urls.txt");
  platform.AddFile("C:\\work\\murel.lng", "[strings]\nerr_copy1=Copy error\n");
  const ShownText fromFile = GetShownText(platform, options, kErrCopyCaption);
  const ShownText builtIn = GetShownText(platform, options, kErrorCaption);

  ASSERT_EQ(platform.boxes.size(), 1u);
  EXPECT_EQ(platform.boxes[0].text, std::string(kErrListing.fallback) + "\nC:\\out\\urls.txt");
  ASSERT_EQ(fromFile.Pieces().size(), 1u);
  EXPECT_EQ(fromFile.Pieces()[0].codePage, CodePage::kSystem);
  EXPECT_EQ(fromFile.Bytes(), "Copy error");
  ASSERT_EQ(builtIn.Pieces().size(), 1u);
  EXPECT_EQ(builtIn.Pieces()[0].codePage, CodePage::kBuiltIn);
  EXPECT_EQ(builtIn.Bytes(), kErrorCaption.fallback);

  ShownText cut = ShownText().Append("ab", CodePage::kBuiltIn).Append("cd");
  cut.Cut(3);
  EXPECT_EQ(cut.Bytes(), "abc");
  EXPECT_EQ(cut.Pieces().back().codePage, CodePage::kSystem);
}

}  // namespace
}  // namespace murel

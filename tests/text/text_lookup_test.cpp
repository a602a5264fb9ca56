#include "text/text_lookup.h"

#include <gtest/gtest.h>

#include "export/reporter.h"
#include "support/fake_platform.h"
#include "support/faulty_platform.h"
#include "text/config_files.h"

namespace murel {
namespace {

std::string Lines(const std::string& key, int count, const std::string& value) {
  std::string text;
  for (int line = 1; line <= count; ++line) {
    text += key + std::to_string(line) + "=" + value + "\n";
  }
  return text;
}

// The message the cases look up; its lines in the language file are "where1", "where2", ...
const Message& kMsg = kUsageWhere;
const std::string kFallback = kUsageWhere.fallback;

struct LookupCase {
  const char* name;
  std::string languageFile;  // the section "strings" and its lines; empty: no file at all
  std::string expected;
};

void PrintTo(const LookupCase& c, std::ostream* os) { *os << c.name; }

class TextLookupTest : public testing::TestWithParam<LookupCase> {};

TEST_P(TextLookupTest, JoinsLinesOrFallsBack) {
  const LookupCase& c = GetParam();
  FakePlatform platform;
  if (!c.languageFile.empty()) {
    platform.AddFile("C:\\work\\murel.lng", "[strings]\n" + c.languageFile);
  }
  const std::string text = Texts(platform, TextOptions()).Get(kMsg);
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
    testing::Values(LookupCase{"NoFile", "", kFallback},
                    LookupCase{"OtherKeysOnly", "other1=x\n", kFallback},
                    LookupCase{"OneLine", "where1=Hello\n", "Hello"},
                    LookupCase{"TwoLines", "where1=Hello\nwhere2=World\n", "Hello\nWorld"},
                    LookupCase{"GapEndsMessage", "where1=a\nwhere2=b\nwhere4=d\n", "a\nb"},
                    LookupCase{"EmptyLineEndsMessage", "where1=a\nwhere2=\nwhere3=c\n", "a"},
                    LookupCase{"FirstLineMissing", "where2=b\nwhere3=c\n", kFallback},
                    LookupCase{"FirstLineEmpty", "where1=\nwhere2=b\n", kFallback},
                    LookupCase{"KeyIsNotPrefix", "where10=x\nwherex1=y\n", kFallback},
                    LookupCase{"LongLineCut", "where1=" + std::string(600, 'x') + "\nwhere2=end\n",
                               k499 + "\nend"},
                    LookupCase{"TwentyNineLines", Lines("where", 30, "ab"), Joined(29, "ab")},
                    // Twenty lines of 499 characters and their line feeds fill the 9999 characters
                    // exactly; the twenty-first would pass them and is left out whole.
                    LookupCase{"BoundedByWholeLines", Lines("where", 29, k499), Joined(20, k499)}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(TextLookup, ProgramDirectoryBecomesCurrent) {
  FakePlatform platform;
  platform.AddFile("C:\\prog\\murel.lng", "[strings]\nwhere1=beside the program\n");
  platform.AddFile("C:\\work\\murel.lng", "[strings]\nwhere1=in the start directory\n");
  TextOptions settings;
  EXPECT_EQ(Texts(platform, settings).Get(kMsg), "in the start directory");
  EXPECT_EQ(platform.currentDirectory, "C:\\work");
  settings.programDir = "C:\\prog";
  EXPECT_EQ(Texts(platform, settings).Get(kMsg), "beside the program");
  settings.programDir.clear();
  EXPECT_EQ(Texts(platform, settings).Get(kMsg), "beside the program")
      << "the change of directory stays in force";
}

TEST(TextLookup, FailedDirectoryChangeReadsCurrentDirectory) {
  FakePlatform platform;
  platform.AddFile("C:\\work\\murel.lng", "[strings]\nwhere1=here\n");
  FaultyPlatform faulty(platform);
  faulty.FailOn(FaultyPlatform::Op::kChangeCurrentFolder);
  TextOptions settings;
  settings.programDir = "C:\\prog";
  EXPECT_EQ(Texts(faulty, settings).Get(kMsg), "here");
}

TEST(TextLookup, KeysAsTheProfileKeyReaderTakesThem) {
  FakePlatform platform;
  platform.AddFile("C:\\work\\murel.lng",
                   "[Strings]\n WHERE1 = \"Quoted\" \nwhere1=second\nwhere2='two'\n");
  EXPECT_EQ(Texts(platform, TextOptions()).Get(kMsg), "Quoted\ntwo")
      << "case and blanks of keys ignored, the first of equal keys counts, quotes go";
}

std::size_t LanguageFileReads(const FaultyPlatform& platform) {
  std::size_t reads = 0;
  for (const std::string& line : platform.log) {
    if (line.rfind("ReadProfileStrings ", 0) == 0) ++reads;
  }
  return reads;
}

TEST(TextLookup, LanguageFileReadOnceAtTheFirstText) {
  FakePlatform platform;
  platform.AddFile("C:\\work\\murel.lng", "[strings]\nwhere1=first\nerror1=Oops\n");
  TextOptions settings;
  settings.programDir = "C:\\work";
  FaultyPlatform logged(platform);
  Texts texts(logged, settings);
  EXPECT_TRUE(logged.log.empty()) << "nothing is read before a text is asked for";
  EXPECT_EQ(texts.Get(kMsg), "first");
  platform.AddFile("C:\\work\\murel.lng", "[strings]\nwhere1=changed\n");
  EXPECT_EQ(texts.Get(kMsg), "first");
  EXPECT_EQ(texts.Get(kErrorCaption), "Oops");
  EXPECT_EQ(texts.Get(kUsageCaption), kUsageCaption.fallback);
  EXPECT_EQ(LanguageFileReads(logged), 1u);
}

TEST(TextLookup, BuiltInTextsFollowTheUserLanguage) {
  for (const char* language : {"", "ru"}) {
    FakePlatform platform;
    platform.userLanguage = language;
    EXPECT_EQ(Texts(platform, TextOptions()).Get(kErrOpenCache), kErrOpenCache.fallback)
        << language;
  }
  for (const char* language : {"en", "de"}) {
    FakePlatform platform;
    platform.userLanguage = language;
    EXPECT_EQ(Texts(platform, TextOptions()).Get(kErrOpenCache), kErrOpenCache.english) << language;
  }
}

TEST(TextLookup, LanguageFileWinsOverEnglishBuiltInsMessageByMessage) {
  FakePlatform platform;
  platform.userLanguage = "en";
  platform.AddFile("C:\\work\\murel.lng", "[strings]\nwhere1=Wo\n");
  Texts texts(platform, TextOptions());
  EXPECT_EQ(texts.Get(kMsg), "Wo");
  EXPECT_EQ(texts.Get(kUsageCaption), "Usage");
}

// A box text keeps the code page of each of its parts: the built-in text is Windows-1251, the
// path and a text from the language file are in the system's code page.
TEST(ShownTextTest, BuiltInTextsAreMarkedWindows1251AndTheRestSystem) {
  FakePlatform platform;
  TextOptions options;
  BoxReporter(platform, options).Error(kErrListing, "C:\\out\\urls.txt");
  platform.AddFile("C:\\work\\murel.lng", "[strings]\nerr_copy1=Copy error\n");
  Texts texts(platform, options);
  const ShownText fromFile = texts.Shown(kErrCopyCaption);
  const ShownText builtIn = texts.Shown(kErrorCaption);

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

// The current folder comes first, then the configuration folders in their order; a folder of
// the file's name is passed over.
TEST(TextLookup, LanguageFileIsTheFirstFoundInTheConfigurationFolders) {
  FakePlatform platform;
  platform.configurationFolders = {"C:\\user\\murel", "C:\\system\\murel"};
  platform.AddDirectory("C:\\user\\murel\\murel.lng");
  platform.AddFile("C:\\system\\murel\\murel.lng", "[strings]\nwhere1=system\n");
  EXPECT_EQ(Texts(platform, TextOptions()).Get(kMsg), "system");
  EXPECT_EQ(FindConfigFile(platform, "murel.lng").path, "C:\\system\\murel\\murel.lng");
  platform.AddFile("C:\\work\\murel.lng", "[strings]\nwhere1=here\n");
  EXPECT_EQ(Texts(platform, TextOptions()).Get(kMsg), "here");
  const ConfigFile none = FindConfigFile(platform, "murel.ini");
  EXPECT_FALSE(none.found);
  EXPECT_EQ(none.path, ".\\murel.ini");
  EXPECT_EQ(ConfigFoldersShown(platform),
            (std::vector<std::string>{"C:\\work", "C:\\user\\murel", "C:\\system\\murel"}));
}

}  // namespace
}  // namespace murel

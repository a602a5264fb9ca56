#include "run/command_line.h"

#include <gtest/gtest.h>

#include <string>

#include "support/fake_platform.h"
#include "support/faulty_platform.h"
#include "text/messages.h"
#include "text/text_lookup.h"
#include "text/usage.h"

namespace murel {
namespace {

// What one tail should give. The defaults are those of a run with the program in C:\prog.
struct TailCase {
  const char* name;
  std::string tail;
  ParseOutcome outcome = ParseOutcome::kRun;
  std::string rootText;
  std::string urlFilter = "*";
  bool listOnly = false;
  bool tolvarFormat = false;
  bool quiet = false;
  bool rawBodies = false;
  std::string programDir;
  std::string cachePath;
  std::string warcText;
  std::string option;
  std::string moduleFileName = "C:\\prog\\murel.exe";
};

// Names the case in failure messages instead of dumping its bytes.
void PrintTo(const TailCase& c, std::ostream* os) { *os << c.name; }

TailCase Run(const char* name, std::string tail, std::string root, std::string filter = "*") {
  TailCase c;
  c.name = name;
  c.tail = std::move(tail);
  c.rootText = std::move(root);
  c.urlFilter = std::move(filter);
  return c;
}

TailCase Outcome(const char* name, std::string tail, ParseOutcome outcome,
                 std::string option = "") {
  TailCase c;
  c.name = name;
  c.tail = std::move(tail);
  c.outcome = outcome;
  c.option = std::move(option);
  return c;
}

template <typename Change>
TailCase With(TailCase c, Change change) {
  change(c);
  return c;
}

std::vector<TailCase> Cases() {
  const std::string longRoot(kMaxRootTextLength, 'r');
  const std::string longFilter(kMaxTailLength - 7, 'f');
  const std::string longModuleDir = "C:\\" + std::string(kMaxRootTextLength - 13, 'd');
  return {
      With(Run("Empty", "", "C:\\prog"), [](TailCase& c) { c.programDir = "C:\\prog"; }),
      Outcome("HelpDash", "-h", ParseOutcome::kHelp),
      Outcome("HelpSlash", "/h", ParseOutcome::kHelp),
      Outcome("HelpQuestion", "-?", ParseOutcome::kHelp),
      Outcome("HelpSlashQuestion", "/?", ParseOutcome::kHelp),
      Outcome("HelpLong", "--help", ParseOutcome::kHelpExtended),
      Outcome("Version", "--version", ParseOutcome::kVersion),
      Outcome("ListCaches", "--list-caches", ParseOutcome::kListCaches),
      Outcome("VersionWithMore", "--version x", ParseOutcome::kUnknownOption, "--version"),
      Outcome("HelpWithBlank", "-h ", ParseOutcome::kUnknownOption, "-h"),
      Outcome("HelpWithPath", "-h C:\\out", ParseOutcome::kUnknownOption, "-h"),
      Outcome("HelpUpperCase", "-H", ParseOutcome::kUnknownOption, "-H"),
      Outcome("LongHelpWithMore", "--help x", ParseOutcome::kUnknownOption, "--help"),
      Run("BlankBeforeHelp", " -h", "", "-h"),
      With(Run("ListAndTolvar", "-l -e C:\\out", "C:\\out"),
           [](TailCase& c) { c.listOnly = c.tolvarFormat = true; }),
      With(Run("QuietPathFilter", "-nm C:\\out http://host/dir", "C:\\out", "http://host/dir"),
           [](TailCase& c) { c.quiet = true; }),
      With(Run("OptionsOnly", "-l", "C:\\prog"), [](TailCase& c) { c.listOnly = true; }),
      With(Run("OptionsOnlyTrailingBlank", "-l ", "C:\\prog"),
           [](TailCase& c) { c.listOnly = true; }),
      Run("QuotedPathWithBlanks", "\"C:\\my out\" http://host/", "C:\\my out", "http://host/"),
      Run("FilterKeepsBlanks", "C:\\out http://host/a b", "C:\\out", "http://host/a b"),
      With(Run("OptionsJoined", "-l-e C:\\out", "C:\\out"),
           [](TailCase& c) { c.listOnly = c.tolvarFormat = true; }),
      With(Run("OptionThenText", "-lfoo", "foo"), [](TailCase& c) { c.listOnly = true; }),
      With(Run("TwoBlanksAfterOption", "-l  C:\\out", "", "C:\\out"),
           [](TailCase& c) { c.listOnly = true; }),
      Run("PathThenBlank", "C:\\out ", "C:\\out", ""),
      Run("TextAfterClosingQuoteDropped", "\"C:\\out\"junk http://x", "C:\\out", "http://x"),
      Run("QuotedNoFilter", "\"C:\\out\"", "C:\\out"),
      Run("QuotedThenTextNoBlank", "\"C:\\out\"junk", "C:\\out"),
      Run("EmptyQuotes", "\"\"", ""),
      Run("EmptyQuotesWithFilter", "\"\" http://x", "", "http://x"),
      Run("UnclosedQuoteTakesRest", "\"C:\\my out http://x", "C:\\my out http://x"),
      Run("LoneDashIsPath", "-", "-"),
      With(Run("RepeatedAndMixed", "-e-nm-l-nm x", "x"),
           [](TailCase& c) { c.listOnly = c.tolvarFormat = c.quiet = true; }),
      Outcome("UnknownOption", "-x", ParseOutcome::kUnknownOption, "-x"),
      With(Outcome("UnknownAfterOption", "-l -xyz C:\\out", ParseOutcome::kUnknownOption, "-xyz"),
           [](TailCase& c) { c.listOnly = true; }),
      Outcome("DashBlank", "- C:\\out", ParseOutcome::kUnknownOption, "-"),
      With(Outcome("QuietBeforeUnknown", "-nm -x", ParseOutcome::kUnknownOption, "-x"),
           [](TailCase& c) { c.quiet = true; }),
      Outcome("QuietAfterUnknown", "-x -nm", ParseOutcome::kUnknownOption, "-x"),
      With(Run("RawWithCache", "--raw -c D:\\cache --raw C:\\out", "C:\\out"),
           [](TailCase& c) { c.rawBodies = true, c.cachePath = "D:\\cache"; }),
      Outcome("RawRunOn", "--rawer C:\\out", ParseOutcome::kUnknownOption, "--rawer"),
      With(Run("Cache", "-c D:\\cache C:\\out", "C:\\out"),
           [](TailCase& c) { c.cachePath = "D:\\cache"; }),
      With(Run("CacheQuoted", "-c \"D:\\my cache\" -l C:\\out x", "C:\\out", "x"),
           [](TailCase& c) {
             c.cachePath = "D:\\my cache";
             c.listOnly = true;
           }),
      With(Run("CacheLastCounts", "-c a -c b", "C:\\prog"), [](TailCase& c) { c.cachePath = "b"; }),
      With(Run("CacheEmptyQuoted", "-c \"\" C:\\out", "C:\\out"),
           [](TailCase& c) { c.cachePath = ""; }),
      With(Run("CacheUnclosedQuote", "-l -c \"D:\\my cache", "C:\\prog"),
           [](TailCase& c) {
             c.cachePath = "D:\\my cache";
             c.listOnly = true;
           }),
      Outcome("CacheMissing", "-c", ParseOutcome::kNoCachePath, "-c"),
      With(Outcome("CacheMissingAfterBlank", "-l -c ", ParseOutcome::kNoCachePath, "-c"),
           [](TailCase& c) { c.listOnly = true; }),
      Outcome("CacheTwoBlanks", "-c  C:\\out", ParseOutcome::kNoCachePath, "-c"),
      With(Run("Warc", "--warc \"D:\\my site.warc.gz\" -c x -l C:\\out", "C:\\out"),
           [](TailCase& c) {
             c.warcText = "D:\\my site.warc.gz";
             c.cachePath = "x";
             c.listOnly = true;
           }),
      With(Outcome("WarcMissing", "-l --warc", ParseOutcome::kNoWarcPath, "--warc"),
           [](TailCase& c) { c.listOnly = true; }),
      Outcome("WarcTwoBlanks", "--warc  C:\\out", ParseOutcome::kNoWarcPath, "--warc"),
      Outcome("WarcRunOn", "--warcs C:\\out", ParseOutcome::kUnknownOption, "--warcs"),
      Outcome("CacheJoined", "-cD:\\cache", ParseOutcome::kUnknownOption, "-cD:\\cache"),
      Run("TailAtLimit", "C:\\out " + longFilter, "C:\\out", longFilter),
      Outcome("TailOverLimit", "C:\\out f" + longFilter, ParseOutcome::kLongCommandLine),
      With(Outcome("QuietOverLimit", "-nm -l C:\\out f" + longFilter,
                   ParseOutcome::kLongCommandLine),
           [](TailCase& c) { c.quiet = c.listOnly = true; }),
      Outcome("HelpOverLimit", std::string(kMaxTailLength, ' ') + "-h",
              ParseOutcome::kLongCommandLine),
      Run("RootAtLimit", longRoot + " x", longRoot, "x"),
      Outcome("RootOverLimit", longRoot + "r x", ParseOutcome::kLongPath),
      Outcome("QuotedRootOverLimit", "\"" + longRoot + "r\"", ParseOutcome::kLongPath),
      With(Run("ProgramInDriveRoot", "", "C:"),
           [](TailCase& c) {
             c.moduleFileName = "C:\\murel.exe";
             c.programDir = "C:";
           }),
      With(Run("ModuleNameAtLimit", "", longModuleDir),
           [&](TailCase& c) {
             c.moduleFileName = longModuleDir + "\\murel.exe";
             c.programDir = longModuleDir;
           }),
      With(Outcome("ModuleNameOverLimit", "-l", ParseOutcome::kLongPath),
           [&](TailCase& c) {
             c.moduleFileName = longModuleDir + "\\murel.exee";
             c.listOnly = true;
           }),
  };
}

class CommandLineTest : public testing::TestWithParam<TailCase> {};

TEST_P(CommandLineTest, GivesSettings) {
  const TailCase& c = GetParam();
  FakePlatform platform;
  platform.moduleFileName = c.moduleFileName;
  RunSettings settings;
  const ParsedCommandLine parsed = ParseCommandLine(c.tail, platform, settings);
  EXPECT_EQ(parsed.outcome, c.outcome);
  EXPECT_EQ(parsed.option, c.option);
  EXPECT_EQ(settings.listOnly, c.listOnly);
  EXPECT_EQ(settings.tolvarFormat, c.tolvarFormat);
  EXPECT_EQ(settings.quiet, c.quiet);
  EXPECT_EQ(settings.rawBodies, c.rawBodies);
  EXPECT_EQ(settings.cachePath, c.cachePath);
  EXPECT_EQ(settings.warcText, c.warcText);
  EXPECT_EQ(settings.programDir, c.programDir);
  if (c.outcome == ParseOutcome::kRun) {
    EXPECT_EQ(settings.rootText, c.rootText);
    EXPECT_EQ(settings.urlFilter, c.urlFilter);
  }
  EXPECT_TRUE(platform.boxes.empty()) << "parsing shows nothing";
}

INSTANTIATE_TEST_SUITE_P(Tails, CommandLineTest, testing::ValuesIn(Cases()),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(CommandLineModule, UnknownProgramPathGivesEmptyRoot) {
  for (const std::string tail : {"", "-l"}) {
    FakePlatform fake;
    FaultyPlatform platform(fake);
    platform.FailCall(1);
    RunSettings settings;
    EXPECT_EQ(ParseCommandLine(tail, platform, settings).outcome, ParseOutcome::kRun);
    EXPECT_EQ(settings.rootText, "");
    EXPECT_EQ(settings.programDir, "");
  }
}

// The boxes that a refused command line shows, and when it shows none.
struct RefusalCase {
  const char* name;
  std::string tail;
  std::string languageFile;  // empty: no language file
  bool shown;
  std::string textStart;  // the box text up to the usage text (or all of it)
  bool withUsage;
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class RefusalTest : public testing::TestWithParam<RefusalCase> {};

TEST_P(RefusalTest, ShowsBox) {
  const RefusalCase& c = GetParam();
  FakePlatform platform;
  if (!c.languageFile.empty()) platform.AddFile("C:\\work\\murel.lng", c.languageFile);
  RunSettings settings;
  const ParsedCommandLine parsed = ParseCommandLine(c.tail, platform, settings);
  ASSERT_TRUE(IsRefused(parsed));
  ReportRefusal(platform, settings, parsed);
  if (!c.shown) {
    EXPECT_TRUE(platform.boxes.empty());
    return;
  }
  ASSERT_EQ(platform.boxes.size(), 1u);
  const FakePlatform::Box& box = platform.boxes[0];
  EXPECT_EQ(box.icon, BoxIcon::kError);
  Texts texts(platform, RunSettings());
  EXPECT_EQ(box.caption, texts.Get(kErrorCaption));
  const std::string usage = c.withUsage ? "\n\n" + UsageText(texts) : "";
  EXPECT_EQ(box.text, c.textStart + usage);
}

const std::string kUnknown = kErrUnknownOption.fallback;

INSTANTIATE_TEST_SUITE_P(
    Boxes, RefusalTest,
    testing::Values(RefusalCase{"Unknown", "-x", "", true, kUnknown + ": -x", true},
                    RefusalCase{"HelpWithPath", "-l -h C:\\out", "", true, kUnknown + ": -h", true},
                    RefusalCase{"QuietBefore", "-nm -x", "", false, "", false},
                    RefusalCase{"QuietAfter", "-x -nm", "", true, kUnknown + ": -x", true},
                    RefusalCase{"NoCachePath", "-c", "", true, kErrNoCachePath.fallback, true},
                    RefusalCase{"LongTail", std::string(kMaxTailLength + 1, 'x'), "", true,
                                kErrLongCommandLine.fallback, false},
                    RefusalCase{"QuietLongTail", "-nm " + std::string(kMaxTailLength, 'x'), "",
                                false, "", false},
                    RefusalCase{"LongRoot", std::string(kMaxRootTextLength + 1, 'x'), "", true,
                                kErrLongPath.fallback, false},
                    RefusalCase{"QuietLongRoot", "-nm " + std::string(kMaxRootTextLength + 1, 'x'),
                                "", false, "", false},
                    RefusalCase{
                        "Translated", "-x",
                        "[strings]\nerror1=Error\nerr_option1=Unknown option\nwhere1=Where\n", true,
                        "Unknown option: -x", true}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(RefusalReport, NothingForAcceptedCommandLines) {
  for (const std::string tail : {"", "-h", "C:\\out"}) {
    FakePlatform platform;
    RunSettings settings;
    const ParsedCommandLine parsed = ParseCommandLine(tail, platform, settings);
    EXPECT_FALSE(IsRefused(parsed));
    ReportRefusal(platform, settings, parsed);
    EXPECT_TRUE(platform.boxes.empty());
  }
}

}  // namespace
}  // namespace murel

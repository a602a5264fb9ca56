#include "run/command_tail.h"

#include <gtest/gtest.h>

#include "run/command_line.h"
#include "support/fake_platform.h"

namespace murel {
namespace {

// Arguments as the shell hands them over, the tail formed from them, and what parsing that tail
// must give back.
struct ArgsCase {
  const char* name;
  std::vector<std::string> args;
  std::string tail;
  ParseOutcome outcome;
  std::string rootText;
  std::string urlFilter;
  std::string cachePath;
};

void PrintTo(const ArgsCase& c, std::ostream* os) { *os << c.name; }

class CommandTailTest : public testing::TestWithParam<ArgsCase> {};

TEST_P(CommandTailTest, ParsesBackToWhatWasTyped) {
  const ArgsCase& c = GetParam();
  const std::string tail = FormCommandTail(c.args);
  EXPECT_EQ(tail, c.tail);
  FakePlatform platform;
  RunSettings settings;
  EXPECT_EQ(ParseCommandLine(tail, platform, settings).outcome, c.outcome);
  if (c.outcome == ParseOutcome::kRun) {
    EXPECT_EQ(settings.rootText, c.rootText);
    EXPECT_EQ(settings.urlFilter, c.urlFilter);
    EXPECT_EQ(settings.cachePath, c.cachePath);
  }
}

const ParseOutcome kRun = ParseOutcome::kRun;

INSTANTIATE_TEST_SUITE_P(
    Args, CommandTailTest,
    testing::Values(
        ArgsCase{"None", {}, "", kRun, "C:\\prog", "*", ""},
        ArgsCase{"Help", {"-h"}, "-h", ParseOutcome::kHelp, "", "", ""},
        ArgsCase{"LongHelp", {"--help"}, "--help", ParseOutcome::kHelpExtended, "", "", ""},
        ArgsCase{"HelpWithPath", {"-h", "out"}, "-h out", ParseOutcome::kUnknownOption, "", "", ""},
        ArgsCase{"Unknown", {"-x"}, "-x", ParseOutcome::kUnknownOption, "", "", ""},
        ArgsCase{
            "Options", {"-l", "-nm", "/tmp/out"}, "-l -nm /tmp/out", kRun, "/tmp/out", "*", ""},
        ArgsCase{"PathWithBlanks",
                 {"/tmp/my out", "http://host/"},
                 "\"/tmp/my out\" http://host/",
                 kRun,
                 "/tmp/my out",
                 "http://host/",
                 ""},
        ArgsCase{"FilterWithBlanks",
                 {"out", "http://host/a b", "c"},
                 "out http://host/a b c",
                 kRun,
                 "out",
                 "http://host/a b c",
                 ""},
        ArgsCase{"EmptyPath", {""}, "\"\"", kRun, "", "*", ""},
        ArgsCase{"EmptyPathWithFilter",
                 {"-e", "", "http://x"},
                 "-e \"\" http://x",
                 kRun,
                 "",
                 "http://x",
                 ""},
        ArgsCase{"EmptyFilter", {"out", ""}, "out ", kRun, "out", "", ""},
        ArgsCase{
            "DashPathWithFilter", {"-", "http://x"}, "\"-\" http://x", kRun, "-", "http://x", ""},
        ArgsCase{"CacheQuotedFolder",
                 {"-c", "/tmp/my cache", "out"},
                 "-c \"/tmp/my cache\" out",
                 kRun,
                 "out",
                 "*",
                 "/tmp/my cache"},
        ArgsCase{"CacheThenOptions",
                 {"-c", "/c/index.dat", "-l", "my out", "x"},
                 "-c /c/index.dat -l \"my out\" x",
                 kRun,
                 "my out",
                 "x",
                 "/c/index.dat"},
        ArgsCase{
            "CacheLooksLikeOption", {"-c", "-dir", "out"}, "-c -dir out", kRun, "out", "*", "-dir"},
        ArgsCase{"WarcPathWithBlank",
                 {"--warc", "my site.warc", "out"},
                 "--warc \"my site.warc\" out",
                 kRun,
                 "out",
                 "*",
                 ""},
        ArgsCase{"CacheMissing", {"-c"}, "-c", ParseOutcome::kNoCachePath, "", "", ""},
        ArgsCase{"OptionAfterPathIsFilter", {"out", "-l"}, "out -l", kRun, "out", "-l", ""}),
    [](const auto& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace murel

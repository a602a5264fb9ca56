#include "export/entry_export.h"

#include <gtest/gtest.h>

#include "export/writer_pool.h"
#include "run/run_settings.h"
#include "support/fake_platform.h"
#include "support/faulty_platform.h"
#include "support/local_entry.h"

namespace murel {
namespace {

struct SelectionCase {
  const char* name;
  bool tolvar;
  const char* filter;
  const char* url;
  bool selected;
};

TEST(EntrySelection, FollowsTheFormatAndTheFilter) {
  const SelectionCase cases[] = {
      {"five characters never", false, "*", "http:", false},
      {"six characters with star", false, "*", "ftp://", true},
      {"star alone selects all", false, "*", "file:///c:/x", true},
      {"star inside is literal", false, "http*", "http://host/", false},
      {"star inside matches itself", false, "http*", "http*x/abc", true},
      {"prefix without case", false, "http://hosta", "HTTP://HOSTA/PAGE", true},
      {"other host", false, "http://hosta", "http://hostb/", false},
      {"filter longer than url", false, "http://host/long", "http://host/", false},
      {"empty filter selects all", false, "", "https://x/y", true},
      {"tolvar takes http", true, "ftp://only", "http://host/", true},
      {"tolvar takes ftp in capitals", true, "*", "FTP://host/f", true},
      {"tolvar refuses https", true, "https://", "https://host/", false},
      {"tolvar refuses file", true, "*", "file:///x/y", false},
      {"tolvar short url", true, "*", "ftp:/", false},
  };
  for (const SelectionCase& c : cases) {
    RunSettings settings;
    settings.tolvarFormat = c.tolvar;
    settings.urlFilter = c.filter;
    EXPECT_EQ(IsSelected(settings, c.url), c.selected) << c.name;
  }
}

class EntryExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform.AddDirectory("C:\\out");
    settings.exportRoot = "C:\\out\\";
    settings.allRules.rules = {{"://", "\\", "", ""}, {"/", "\\", "", ""}};
    state.listing = ListingWriter::Open(platform, "C:\\out\\urls.txt");
    platform.AddFile("C:\\cache\\A1\\page[1].htm", "page", 700);
    faulty.log.clear();
  }
  // Ends the listing and gives it.
  std::string Listing() {
    if (state.listing) {
      EXPECT_TRUE(state.listing->Close());
    }
    state.listing.reset();
    return platform.Content("C:\\out\\urls.txt").value_or("<none>");
  }

  // Runs the export step on one entry whose content is a local file.
  void Export(const std::string& url, const std::string& localFile) {
    CacheEntry entry = LocalEntry(url, localFile);
    ExportEntry(faulty, settings, state, reporter, entry);
  }

  FakePlatform platform;
  FaultyPlatform faulty{platform};  // where the export makes its calls, logged
  RunSettings settings;
  ExportState state;
  BoxReporter reporter{platform, settings};
};

TEST_F(EntryExportTest, ListsMakesDirectoriesAndCopiesInThatOrder) {
  Export("http://host/dir/page", "C:\\cache\\A1\\page[1].htm");
  EXPECT_EQ(platform.Content("C:\\out\\http\\host\\dir\\page"), "page");
  EXPECT_EQ(platform.TimeOf("C:\\out\\http\\host\\dir\\page"), 700u);
  // The guard resolves the target before anything is made; the copy comes last.
  ASSERT_FALSE(faulty.log.empty());
  EXPECT_EQ(faulty.log.front().rfind("FullPath", 0), 0u) << faulty.log.front();
  EXPECT_EQ(faulty.log.back().rfind("CopyReplacing", 0), 0u) << faulty.log.back();
  EXPECT_TRUE(platform.boxes.empty());
  EXPECT_EQ(Listing(), "http://host/dir/page\tC:\\out\\http\\host\\dir\\page\r\n");
}

TEST_F(EntryExportTest, ListOnlyWritesTheUrlAndTouchesNothing) {
  settings.listOnly = true;
  Export("http://host/a", "C:\\cache\\A1\\page[1].htm");
  EXPECT_TRUE(faulty.log.empty());
  EXPECT_EQ(Listing(), "http://host/a\r\n");
}

TEST_F(EntryExportTest, TolvarFormatWritesNoListingAndDropsTheScheme) {
  settings.tolvarFormat = true;
  Export("HTTP://host/a", "C:\\cache\\A1\\page[1].htm");
  Export("ftp://host/f", "C:\\cache\\A1\\page[1].htm");
  EXPECT_EQ(Listing(), "");
  EXPECT_TRUE(platform.IsFile("C:\\out\\host\\a"));
  EXPECT_TRUE(platform.IsFile("C:\\out\\ftp\\host\\f"));
}

TEST_F(EntryExportTest, TolvarListOnlyWritesNothingButCountsLongNames) {
  settings.tolvarFormat = true;
  settings.listOnly = true;
  const std::string longUrl = "http://host/" + std::string(300, 'x') + ".htm";
  Export(longUrl, "C:\\cache\\A1\\page[1].htm");
  Export(longUrl, "C:\\cache\\A1\\page[1].htm");
  EXPECT_EQ(state.longUrlCounter, 2u);
  EXPECT_TRUE(faulty.log.empty());
  EXPECT_EQ(Listing(), "");
}

TEST_F(EntryExportTest, MissingCachedFileKeepsListingAndDirectories) {
  Export("http://host/d/gone", "C:\\cache\\A1\\gone.htm");
  EXPECT_EQ(Listing(), "http://host/d/gone\tC:\\out\\http\\host\\d\\gone\r\n");
  EXPECT_TRUE(platform.IsDirectory("C:\\out\\http\\host\\d"));
  EXPECT_FALSE(platform.IsFile("C:\\out\\http\\host\\d\\gone"));
  EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(EntryExportTest, TargetOutsideTheRootIsListedButNeitherMadeNorCopied) {
  settings.allRules.rules.clear();  // no rules: "/../" stays a climbing component
  settings.allRules.rules = {{"/", "\\", "", ""}};
  const std::vector<std::string> before = platform.Tree();
  Export("x/../../evil", "C:\\cache\\A1\\page[1].htm");
  EXPECT_EQ(platform.Tree(), before);
  ASSERT_EQ(platform.boxes.size(), 1u);
  EXPECT_EQ(platform.boxes[0].text, "C:\\cache\\A1\\page[1].htm");
  EXPECT_EQ(platform.boxes[0].icon, BoxIcon::kWarning);
  EXPECT_EQ(Listing(), "x/../../evil\tC:\\out\\x\\..\\..\\evil\r\n");
}

// With writer threads, a stored body's target is looked at on the export's thread: one that is up
// to date is counted there and then, with no copy handed over; a stale one is copied by a writer
// with no second look.
TEST_F(EntryExportTest, WithWritersAnUpToDateStoredBodyIsSettledAtOnce) {
  platform.AddFile("C:\\cache\\data", "xbodyx", 1);
  platform.AddDirectory("C:\\out\\http\\host");
  platform.AddFile("C:\\out\\http\\host\\same", "kept", 500);
  platform.AddFile("C:\\out\\http\\host\\stale", "old", 100);
  CacheEntry entry;
  entry.storedBody = StoredBody{"C:\\cache\\data", 1, 4, {}, 300, {}};
  WriterPool writers(reporter, 2);
  state.writers = &writers;
  entry.url = "http://host/same";
  ExportEntry(faulty, settings, state, reporter, entry);
  EXPECT_EQ(state.counts.unchanged, 1u) << "settled before any later call of the pool";
  EXPECT_EQ(state.counts.seen, 1u);
  faulty.log.clear();
  entry.url = "http://host/stale";
  ExportEntry(faulty, settings, state, reporter, entry);
  writers.Finish();
  state.writers = nullptr;
  EXPECT_EQ(state.counts.exported, 1u);
  EXPECT_EQ(platform.Content("C:\\out\\http\\host\\same"), "kept");
  EXPECT_EQ(platform.Content("C:\\out\\http\\host\\stale"), "body");
  std::size_t looks = 0;
  for (const std::string& call : faulty.log) {
    looks += call.rfind("QueryFile C:\\out\\http\\host\\stale ", 0) == 0;
  }
  EXPECT_EQ(looks, 1u) << "the target of a copy is looked at once";
}

}  // namespace
}  // namespace murel

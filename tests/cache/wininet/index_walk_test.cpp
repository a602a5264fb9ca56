#include "cache/wininet/index_walk.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>

#include "cache/wininet/index_file.h"
#include "support/index_dat_writer.h"

namespace murel {
namespace {

using Version = IndexDatWriter::Version;
constexpr std::uint8_t kNoDir = IndexDatWriter::kNoDirectory;
const char* const kFolder = "C:\\cache";

// Every entry of the walk as "url -> local file", taken with a record size that fits any entry.
std::vector<std::string> List(std::unique_ptr<IndexWalk> walk) {
  std::vector<std::string> lines;
  if (!walk) return {"(not opened)"};
  CacheEntry entry;
  for (std::uint32_t size = UINT32_MAX; walk->Next(size, entry) == WalkStatus::kEntry;) {
    lines.push_back(entry.url + " -> " + entry.localFile);
  }
  return lines;
}

std::vector<std::string> List(const std::vector<unsigned char>& file) {
  return List(IndexWalk::Open(file, kFolder));
}

// Two directories, then entries in each directory, in the folder itself, with an index past
// the directories, and without a file.
IndexDatWriter DirectoryCases(Version version) {
  IndexDatWriter writer(version);
  const std::uint8_t first = writer.AddDirectory("ENG3X4ZR");
  const std::uint8_t second = writer.AddDirectory("5ZBG4UOD");
  writer.AddUrl("http://a/1", "one[1].htm", first);
  writer.AddUrl("http://a/2", "two[1].css", second);
  writer.AddUrl("Visited: u@http://a/3", "three.ico", kNoDir);
  writer.AddUrl("http://a/4", "lost[1].htm", 2);
  writer.AddUrl("http://a/5", "", first);
  return writer;
}

TEST(IndexWalkTest, EveryVersionGivesUrlsAndLocalFiles) {
  const std::vector<std::string> expected{
      "http://a/1 -> C:\\cache\\ENG3X4ZR\\one[1].htm",
      "http://a/2 -> C:\\cache\\5ZBG4UOD\\two[1].css",
      "Visited: u@http://a/3 -> C:\\cache\\three.ico",
      "http://a/4 -> ",
      "http://a/5 -> ",
  };
  for (Version version : {Version::k52, Version::k47, Version::kWine2012, Version::kWine2005}) {
    SCOPED_TRACE(static_cast<int>(version));
    EXPECT_EQ(List(DirectoryCases(version).Bytes()), expected);
  }
}

TEST(IndexWalkTest, UnknownSignaturesAndShortFilesDoNotOpen) {
  std::vector<unsigned char> file = DirectoryCases(Version::k52).Bytes();
  const std::vector<std::pair<std::string, std::function<void(std::vector<unsigned char>&)>>> cases{
      {"other version", [](auto& f) { f[26] = '3'; }},
      {"signature without its NUL", [](auto& f) { f[27] = 'x'; }},
      {"not an index at all", [](auto& f) { f[0] = 'X'; }},
      {"cut inside the header", [](auto& f) { f.resize(0x3FFF); }},
      {"empty", [](auto& f) { f.clear(); }},
  };
  for (const auto& [name, damage] : cases) {
    SCOPED_TRACE(name);
    std::vector<unsigned char> damaged = file;
    damage(damaged);
    EXPECT_EQ(IndexWalk::Open(damaged, kFolder), nullptr);
  }
}

TEST(IndexWalkTest, TablesInChainOrderAndSlotsAscending) {
  IndexDatWriter writer;
  const std::uint32_t first = writer.AddTable();
  const std::uint32_t second = writer.AddTable();
  const std::uint32_t third = writer.AddTable();
  auto url = [&](const std::string& name) { return writer.AddUrlRecord(name, "", kNoDir); };
  // Written out of order: the walk follows the chain and the slot numbers, not the records.
  writer.SetSlot(third, 0, 0x40, url("http://t3/0"));
  writer.SetSlot(second, 300, 0x40, url("http://t2/300"));
  writer.SetSlot(first, 9, 0x48, url("http://t1/9"));
  writer.SetSlot(first, 2, 0x45, url("http://t1/2"));
  writer.SetSlot(second, 7, 0x40, url("http://t2/7"));
  EXPECT_EQ(List(writer.Bytes()),
            (std::vector<std::string>{"http://t1/2 -> ", "http://t1/9 -> ", "http://t2/7 -> ",
                                      "http://t2/300 -> ", "http://t3/0 -> "}));
}

TEST(IndexWalkTest, SlotsThatAreNoEntryAndRecordsThatAreNoUrl) {
  IndexDatWriter writer;
  const std::uint32_t table = writer.AddTable();
  const std::uint32_t live = writer.AddUrlRecord("http://live/", "", kNoDir);
  const std::uint32_t stale = writer.AddUrlRecord("http://deleted/", "", kNoDir);
  const std::uint32_t end = static_cast<std::uint32_t>(writer.Bytes().size());
  const std::vector<std::pair<std::uint32_t, std::uint32_t>> slots{
      {1, stale},                           // deleted: the offset is stale
      {3, stale},                           // free
      {stale, stale},                       // free: key equal to the offset
      {0x0BADF00D, stale},                  // never written
      {0x40, 0xDEADBEEF},                   // never written
      {0x40, live + 0x40},                  // not at a block
      {0x40, 0x3F80},                       // in the header
      {0x40, end},                          // past the end
      {0x40, writer.AddRecord("REDR")},     // a redirect
      {0x40, writer.AddRecord("LEAK", 2)},  // a record whose file could not be deleted
      {0x40, table},                        // the table itself
      {0x40, live},
  };
  for (std::size_t i = 0; i < slots.size(); ++i) {
    writer.SetSlot(table, i, slots[i].first, slots[i].second);
  }
  EXPECT_EQ(List(writer.Bytes()), std::vector<std::string>{"http://live/ -> "});
}

// A file with one table and three entries, the second of which the cases below damage.
struct DamageCase {
  std::string name;
  std::function<void(std::vector<unsigned char>& file, std::uint32_t record,
                     const IndexDatWriter& writer)>
      damage;
  std::vector<std::string> expected;
};

TEST(IndexWalkTest, DamagedRecordsArePassedOver) {
  IndexDatWriter writer;
  writer.AddDirectory("DIRONE00");
  writer.AddUrl("http://first/", "a.htm", 0);
  const std::uint32_t second = writer.AddUrl("http://second/", "b.htm", 0);
  writer.AddUrl("http://third/", "c.htm", 0);
  const std::string first = "http://first/ -> C:\\cache\\DIRONE00\\a.htm";
  const std::string third = "http://third/ -> C:\\cache\\DIRONE00\\c.htm";
  const std::vector<DamageCase> cases{
      {"no damage",
       [](auto&, auto, auto&) {},
       {first, "http://second/ -> C:\\cache\\DIRONE00\\b.htm", third}},
      {"block count 0", [](auto& f, auto r, auto&) { f[r + 4] = 0; }, {first, third}},
      {"blocks past the end", [](auto& f, auto r, auto&) { f[r + 4] = 100; }, {first, third}},
      {"huge block count", [](auto& f, auto r, auto&) { f[r + 7] = 0xFF; }, {first, third}},
      {"URL offset past the record",
       [](auto& f, auto r, auto& w) { f[r + w.UrlOffsetField()] = 0x80; },
       {first, third}},
      {"URL offset past the file",
       [](auto& f, auto r, auto& w) { f[r + w.UrlOffsetField() + 3] = 0xF0; },
       {first, third}},
      {"URL without an end in the record",
       [](auto& f, auto r, auto&) { std::fill(f.begin() + r + 104, f.begin() + r + 128, 'x'); },
       {first, third}},
      {"file name offset past the record",
       [](auto& f, auto r, auto& w) { f[r + w.FileNameOffsetField() + 1] = 0x10; },
       {first, third}},
      {"file name without an end in the record",
       [](auto& f, auto r, auto&) { std::fill(f.begin() + r + 119, f.begin() + r + 128, 'x'); },
       {first, third}},
      {"headers outside the record still give the entry",
       [](auto& f, auto r, auto& w) { f[r + w.HeadersOffsetField() + 2] = 0x7F; },
       {first, "http://second/ -> C:\\cache\\DIRONE00\\b.htm", third}},
      {"file cut inside the record", [](auto& f, auto r, auto&) { f.resize(r + 0x40); }, {first}},
  };
  const std::vector<unsigned char> file = writer.Bytes();
  for (const DamageCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<unsigned char> damaged = file;
    c.damage(damaged, second, writer);
    EXPECT_EQ(List(damaged), c.expected);
  }
}

TEST(IndexWalkTest, ABrokenOrLoopingChainEndsTheWalk) {
  IndexDatWriter writer;
  const std::uint32_t first = writer.AddTable();
  writer.AddUrl("http://one/");
  const std::uint32_t second = writer.AddTable();
  writer.AddUrl("http://two/");
  const std::uint32_t third = writer.AddTable();
  writer.AddUrl("http://three/");
  const std::vector<unsigned char> file = writer.Bytes();
  const std::uint32_t end = static_cast<std::uint32_t>(file.size());
  auto put = [](std::vector<unsigned char>& f, std::uint32_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) f[at + i] = static_cast<unsigned char>(value >> (8 * i));
  };
  const std::vector<std::pair<std::string, std::function<void(std::vector<unsigned char>&)>>> cases{
      {"loop back to the first table", [&](auto& f) { put(f, third + 8, first); }},
      {"loop onto itself", [&](auto& f) { put(f, third + 8, third); }},
      {"sequence out of step", [&](auto& f) { put(f, third + 12, 7); }},
      {"next past the end", [&](auto& f) { put(f, second + 8, end); }},
      {"next inside a record", [&](auto& f) { put(f, second + 8, third + 0x10); }},
      {"table without its signature", [&](auto& f) { f[third] = 'h'; }},
      {"table running past the end", [&](auto& f) { put(f, third + 4, 0x1000); }},
      {"table of no blocks", [&](auto& f) { put(f, third + 4, 0); }},
  };
  const std::vector<std::string> two{"http://one/ -> ", "http://two/ -> "};
  const std::vector<std::string> three{"http://one/ -> ", "http://two/ -> ", "http://three/ -> "};
  for (const auto& [name, damage] : cases) {
    SCOPED_TRACE(name);
    std::vector<unsigned char> damaged = file;
    damage(damaged);
    const std::vector<std::string> lines = List(damaged);
    const bool loops = name.rfind("loop", 0) == 0;
    EXPECT_EQ(lines, loops ? three : two);
  }
  std::vector<unsigned char> noTable = file;
  put(noTable, 0x20, 0);
  EXPECT_TRUE(List(noTable).empty());
}

TEST(IndexWalkTest, RecordThatDoesNotFitIsOfferedAgainWithItsSize) {
  IndexDatWriter writer;
  const std::uint8_t dir = writer.AddDirectory("ABCDEFGH");
  writer.AddUrlRecord("x", "", kNoDir);  // not in any slot
  const std::uint32_t table = writer.AddTable();
  writer.SetSlot(table, 0, 0x40,
                 writer.AddUrlRecord("http://h/", "h.htm", dir, "HTTP/1.1 200 OK\r\n\r\n"));
  const std::unique_ptr<IndexWalk> walk = IndexWalk::Open(writer.Bytes(), "C:\\c");
  ASSERT_NE(walk, nullptr);
  // The fixed part, then the URL, the local file and the headers, each with a NUL.
  const std::uint32_t needed = kEntryRecordFixedSize + 10 + 20 + 20;
  CacheEntry entry;
  std::uint32_t size = needed - 1;
  EXPECT_EQ(walk->Next(size, entry), WalkStatus::kBufferTooSmall);
  EXPECT_EQ(size, needed);
  EXPECT_EQ(walk->Next(size, entry), WalkStatus::kEntry);
  EXPECT_EQ(entry.url, "http://h/");
  EXPECT_EQ(entry.localFile, "C:\\c\\ABCDEFGH\\h.htm");
  EXPECT_EQ(walk->Next(size, entry), WalkStatus::kFailed);
  EXPECT_EQ(walk->Next(size, entry), WalkStatus::kFailed);
}

std::vector<unsigned char> ReadSample(const std::string& name) {
  std::ifstream in(std::string(MUREL_SHARED_DIR) + "/testdata/ie-index-dat/" + name,
                   std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

TEST(IndexWalkTest, RealSamples) {
  struct Sample {
    const char* name;
    std::size_t urls;
    const char* firstLine;
  };
  const std::vector<Sample> samples{
      {"content-ie5.dat", 21,
       "https://ieonline.microsoft.com/favicon.ico -> C:\\cache\\5ZBG4UOD\\favicon[1].ico"},
      {"history-ie5.dat", 15,
       "Visited: gold_administrator@http://www.microsoft.com/de-ch/download/"
       "internet-explorer.aspx -> "},
      {"mshist.dat", 23, nullptr},
      {"nfury.dat", 984, nullptr},
  };
  for (const Sample& sample : samples) {
    SCOPED_TRACE(sample.name);
    const std::vector<unsigned char> file = ReadSample(sample.name);
    if (file.empty()) GTEST_SKIP() << "sample files not found under " << MUREL_SHARED_DIR;
    const std::vector<std::string> lines = List(file);
    EXPECT_EQ(lines.size(), sample.urls);
    if (sample.firstLine != nullptr && !lines.empty()) {
      EXPECT_EQ(lines.front(), sample.firstLine);
    }
  }
}

}  // namespace
}  // namespace murel

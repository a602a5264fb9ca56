// The Firefox cache reader on the sample cache that headless Firefox wrote, and on damage the
// browser cannot be made to write. The comparison with the browser itself is
// scripts/compare-firefox; the fuzz target is fuzz/firefox_cache_fuzz.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "cache/core/entry_memo.h"
#include "cache/core/http_date.h"
#include "cache/firefox/firefox_cache_reader.h"
#include "cache/firefox/firefox_key.h"
#include "support/fake_platform.h"
#include "support/firefox_entry_writer.h"
#include "support/host_files.h"

namespace murel {
namespace {

const std::string kProfile = "C:\\profile";
const std::string kEntries = kProfile + "\\cache2\\entries";
const std::filesystem::path kSample = MUREL_SOURCE_DIR "/samples/firefox-cache/cache2/entries";

std::string NameOf(int i) { return std::string(39, 'A') + static_cast<char>('0' + i); }

// Every entry delivered, as "url=body", the body read from its range of the fake file.
std::vector<std::string> Read(FakePlatform& fake, const std::string& folder = kProfile) {
  const std::unique_ptr<CacheReader> reader = OpenFirefoxCache(fake, folder);
  if (!reader) return {"(not opened)"};
  std::vector<std::string> lines;
  for (CacheEntry entry; reader->Next(entry);) {
    const StoredBody& body = *entry.storedBody;
    lines.push_back(entry.url + "=" +
                    fake.Content(body.file)->substr(static_cast<std::size_t>(body.offset),
                                                    static_cast<std::size_t>(body.size)));
  }
  return lines;
}

// The sample's entry files, by name.
std::map<std::string, std::string> SampleFiles() {
  std::map<std::string, std::string> files;
  for (const auto& file : std::filesystem::directory_iterator(kSample)) {
    files[file.path().filename().string()] = ReadAll(file.path());
  }
  return files;
}

class FirefoxSample : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const auto& [name, content] : SampleFiles())
      fake_.AddFile(kEntries + "\\" + name, content);
  }
  std::string Page(const std::string& name) {
    return ReadAll(std::filesystem::path(MUREL_SOURCE_DIR "/samples/pages") / name);
  }
  // The name of the sample's entry for `url`.
  std::string EntryOf(const std::string& url) {
    for (const auto& [name, content] : SampleFiles()) {
      if (content.find(":" + url + '\0') != std::string::npos) return kEntries + "\\" + name;
    }
    return "";
  }
  FakePlatform fake_;
};

TEST_F(FirefoxSample, DeliversTheServedFilesFromEveryFolderAUserNames) {
  const std::string logo = "http://127.0.0.1:18473/logo.png=" + Page("logo.png");
  const std::string readme = "http://127.0.0.1:18473/readme.txt=" + Page("readme.txt");
  for (const std::string& folder : {kProfile, kProfile + "\\cache2", kEntries}) {
    const std::vector<std::string> entries = Read(fake_, folder);
    EXPECT_EQ(entries.size(), 4u) << folder;
    EXPECT_NE(std::find(entries.begin(), entries.end(), logo), entries.end()) << folder;
    EXPECT_NE(std::find(entries.begin(), entries.end(), readme), entries.end()) << folder;
  }
  EXPECT_EQ(Read(fake_), Read(fake_)) << "a stable order";
}

TEST_F(FirefoxSample, PassesOverOtherFilesDoomedEntriesAndFoldersThatAreLinks) {
  const std::string logo = fake_.Content(EntryOf("http://127.0.0.1:18473/logo.png")).value();
  fake_.AddFile(kEntries + "\\logo", logo);
  fake_.AddFile(kEntries + "\\" + NameOf(0) + "0", logo);
  // Names of forty bytes with one byte just outside a range of hexadecimal digits ("\xC1" is
  // "A" with the high bit set).
  for (const char* first : {"G", "g", "@", "`", ":", "\xC1"}) {
    fake_.AddFile(kEntries + "\\" + first + NameOf(0).substr(1), logo);
  }
  fake_.AddFile(kProfile + "\\cache2\\doomed\\" + NameOf(1), logo);
  EXPECT_EQ(Read(fake_).size(), 4u);

  FakePlatform linked;
  linked.AddDirectory("C:\\other\\cache2\\entries");
  linked.AddSpecial("C:\\linked\\cache2", FileKind::kLink);
  EXPECT_EQ(Read(linked, "C:\\linked"), std::vector<std::string>{"(not opened)"});
  EXPECT_EQ(Read(linked, "C:\\other"), std::vector<std::string>{});
}

// Damage to a real entry: each one loses that entry only.
TEST_F(FirefoxSample, PassesOverDamagedEntries) {
  const std::string path = EntryOf("http://127.0.0.1:18473/logo.png");
  const std::string good = fake_.Content(path).value();
  const std::size_t dataSize = Page("logo.png").size();
  const std::vector<std::pair<const char*, std::function<void(std::string&)>>> damages{
      {"a body byte", [](std::string& f) { f[10] ^= 1; }},
      {"a key byte", [&](std::string& f) { f[f.find("logo.png")] = 'L'; }},
      {"an element byte", [&](std::string& f) { f[f.find("response-head") + 20] ^= 1; }},
      {"the metadata hash", [&](std::string& f) { f[dataSize] ^= 1; }},
      {"cut by one byte", [](std::string& f) { f.pop_back(); }},
      {"cut within the body", [&](std::string& f) { f.resize(dataSize / 2); }},
      {"emptied", [](std::string& f) { f.clear(); }},
      {"never finished", [](std::string& f) { f.replace(f.size() - 4, 4, "\xFF\xFF\xFF\xFF"); }},
      {"a data length past the body", [&](std::string& f) { f[f.size() - 3] ^= 0x10; }},
  };
  for (const auto& [what, damage] : damages) {
    std::string bad = good;
    damage(bad);
    fake_.AddFile(path, bad);
    const std::vector<std::string> entries = Read(fake_);
    EXPECT_EQ(entries.size(), 3u) << what;
    for (const std::string& line : entries) {
      EXPECT_NE(line.rfind("http://127.0.0.1:18473/logo.png=", 0), 0u) << what;
    }
  }
}

class FirefoxMade : public ::testing::Test {
 protected:
  std::vector<std::string> ReadOne(const FirefoxEntryPlan& plan) {
    FakePlatform fake;
    fake.AddFile(kEntries + "\\" + NameOf(0), FirefoxEntryFile(plan));
    return Read(fake);
  }
  std::vector<std::string> ReadOne(std::string file) {
    FakePlatform fake;
    fake.AddFile(kEntries + "\\" + NameOf(0), file);
    return Read(fake);
  }
  static std::vector<std::string> None() { return {}; }
};

TEST_F(FirefoxMade, ChecksEveryChunkOfALargeBodyAndLeavesAlternativeDataOut) {
  FirefoxEntryPlan plan;
  plan.data = std::string(600 * 1024, 'x') + "compiled";
  plan.elements.push_back({"alt-data", "1;614400,javascript/moz-script-bytecode"});
  const std::vector<std::string> good{"http://h/a=" + std::string(600 * 1024, 'x')};
  EXPECT_EQ(ReadOne(plan), good);

  std::string file = FirefoxEntryFile(plan);
  file[300 * 1024] = 'y';  // the second chunk, its hash not set again
  EXPECT_EQ(ReadOne(file), None());
  plan.elements.back().second = "1;614409,javascript/moz-script-bytecode";  // past the data
  EXPECT_EQ(ReadOne(plan), None());
}

TEST_F(FirefoxMade, PassesOverSizesPastTheFileAndBoundsWithRightHashes) {
  std::string file = FirefoxEntryFile(FirefoxEntryPlan{});
  file.replace(file.find(":http") - 8, 4, "\x7F\xFF\xFF\xF0");  // the key size
  FixFirefoxHashes(file);
  EXPECT_EQ(ReadOne(file), None());

  FirefoxEntryPlan plan;
  plan.elements.push_back({"padding", std::string(64 * 1024, 'p')});
  EXPECT_EQ(ReadOne(plan), None()) << "elements over 64 KiB";
  plan.elements.pop_back();
  plan.version = 5;
  EXPECT_EQ(ReadOne(plan), None()) << "an unknown version";
  plan.version = 1;
  EXPECT_EQ(ReadOne(plan), std::vector<std::string>{"http://h/a=body"}) << "the first version";
}

TEST_F(FirefoxMade, DeliversOnlyCompleteGetResponsesWithAnExportableStatus) {
  const auto with = [](const std::string& name, const std::string& value) {
    FirefoxEntryPlan plan;
    for (auto& element : plan.elements) {
      if (element.first == name) element.second = value;
    }
    if (name == "strongly-framed") plan.elements.push_back({name, value});
    return plan;
  };
  const std::vector<std::string> body{"http://h/a=body"};
  EXPECT_EQ(ReadOne(with("request-method", "POST")), None());
  EXPECT_EQ(ReadOne(with("response-head", "HTTP/1.1 302 Found\r\nLocation: /\r\n")), None());
  EXPECT_EQ(ReadOne(with("response-head", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n")), None());
  EXPECT_EQ(ReadOne(with("response-head", "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n")), body);
  // A body that ended with the connection is weakly framed, and whole: Firefox serves it.
  EXPECT_EQ(ReadOne(with("strongly-framed", "0")), body);
  // Weakly framed despite a declared length: the download was cut, whatever its coding.
  FirefoxEntryPlan cut = with("strongly-framed", "0");
  cut.elements[1].second = "HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\nContent-Length: 4\r\n";
  EXPECT_EQ(ReadOne(cut), None());
}

// The entry's own time, as the browser keeps it, tells a changed entry from the one exported
// before, whatever Date the server sent: the later of the metadata's whole seconds and the
// entry file's finer last-write time, so that two writes within one second still differ.
TEST_F(FirefoxMade, StoredTimeIsTheEntrysOwnTimeNotTheResponseDate) {
  const auto stored = [](FileTime fileTime) {
    FirefoxEntryPlan plan;
    plan.elements[1].second = "HTTP/1.1 200 OK\r\nDate: Sun, 06 Nov 1994 08:49:37 GMT\r\n";
    FakePlatform fake;
    fake.AddFile(kEntries + "\\" + NameOf(0), FirefoxEntryFile(plan), fileTime);
    CacheEntry entry;
    OpenFirefoxCache(fake, kProfile)->Next(entry);
    return entry.storedBody->stored;
  };
  const FileTime metadata = FileTimeOfUnixSeconds(1700000000);
  EXPECT_EQ(stored(metadata - 10000000), metadata);
  EXPECT_EQ(stored(metadata + 5000000), metadata + 5000000);
}

// With an earlier memo the files are read on a thread ahead of the export, a bounded way: far
// more entries than it reads ahead, every fifth one damaged, and a reader dropped while its
// thread waits for room. Without one they are read as they are asked for, the same way.
TEST(FirefoxReadAhead, KeepsTheOrderAndTheCountsAndEndsWhenDropped) {
  FakePlatform fake;
  constexpr int kFiles = 500;
  // Every file written at `time`: a time the memo has not seen makes each one read again.
  auto write = [&fake](FileTime time) {
    for (int i = 0; i < kFiles; ++i) {
      FirefoxEntryPlan plan;
      plan.key = ":http://h/" + std::to_string(1000 + i);
      std::string file = FirefoxEntryFile(plan);
      if (i % 5 == 4) file.pop_back();
      char name[41];
      std::snprintf(name, sizeof name, "%040d", i);
      fake.AddFile(kEntries + "\\" + name, file, time);
    }
  };
  auto readAll = [&fake](EntryMemo& memo) {
    const std::unique_ptr<CacheReader> reader = OpenFirefoxCache(fake, kProfile, &memo);
    CacheEntry entry;
    for (int i = 0; i < kFiles; ++i) {
      if (i % 5 == 4) continue;
      ASSERT_TRUE(reader->Next(entry));
      EXPECT_EQ(entry.url, "http://h/" + std::to_string(1000 + i));
      EXPECT_EQ(reader->PassedOver(), static_cast<std::uint64_t>(i / 5)) << i;
    }
    EXPECT_FALSE(reader->Next(entry));
    EXPECT_EQ(reader->PassedOver(), static_cast<std::uint64_t>(kFiles / 5));
  };
  fake.AddDirectory("C:\\memo");
  EntryMemo memo(fake, "C:\\memo\\", "C:\\out\\");
  write(1000);
  readAll(memo);
  memo.Save();
  // The memo is there, so the next walks read on their thread.
  const std::vector<std::string> tree = fake.Tree();
  ASSERT_TRUE(std::any_of(tree.begin(), tree.end(), [](const std::string& path) {
    return path.size() > 5 && path.compare(path.size() - 5, 5, ".memo") == 0;
  }));
  write(2000);
  readAll(memo);
  const std::unique_ptr<CacheReader> dropped = OpenFirefoxCache(fake, kProfile, &memo);
  CacheEntry entry;
  EXPECT_TRUE(dropped->Next(entry));
}

TEST(FirefoxKey, TheUrlFollowsTheTagList) {
  EXPECT_EQ(UrlOfFirefoxKey(":http://h/a"), "http://h/a");
  EXPECT_EQ(UrlOfFirefoxKey("O^partitionKey=%28http%2Ch%29,a,:http://h/a"), "http://h/a");
  EXPECT_EQ(UrlOfFirefoxKey("O^firstPartyDomain=x:y,,z,p,~1796766806,:http://h/a?b,c"),
            "http://h/a?b,c");
  EXPECT_EQ(UrlOfFirefoxKey("a,,:http://h/a"), std::nullopt);
  EXPECT_EQ(UrlOfFirefoxKey("ab,:http://h/a"), std::nullopt);
  EXPECT_EQ(UrlOfFirefoxKey("O^x=1:http://h/a"), std::nullopt);
  EXPECT_EQ(UrlOfFirefoxKey("a,:"), std::nullopt);
  // The URL names its scheme, as every reader requires.
  EXPECT_EQ(UrlOfFirefoxKey(":urls.txt"), std::nullopt);
  EXPECT_EQ(UrlOfFirefoxKey("a,:http:"), std::nullopt);
  EXPECT_EQ(UrlOfFirefoxKey(":1http://h/a"), std::nullopt);
  EXPECT_EQ(UrlOfFirefoxKey(":view-source:http://h/a"), "view-source:http://h/a");
}

}  // namespace
}  // namespace murel

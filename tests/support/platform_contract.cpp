// The behaviour every platform shares, written once and run against each platform's factory.

#include "support/platform_contract.h"

#include <algorithm>
#include <cstdint>
#include <set>

#include "base/buffer_limits.h"
#include "export/listing_writer.h"

namespace murel {

// Instantiated in the platform test files; a build may have none of them.
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(PlatformContract);

namespace {

// 2020-01-02 03:04:05.1234567 UTC: a time with every 100-ns digit in use.
constexpr FileTime kSomeTime = (1577934245ULL + 11644473600ULL) * 10000000ULL + 1234567ULL;

bool IsDirectoryAttr(const std::optional<std::uint32_t>& attributes) {
  return attributes && (*attributes & kFileAttributeDirectory) != 0;
}

std::string Upper(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  });
  return s;
}

}  // namespace

void PlatformContract::SetUp() {
  setup_ = GetParam().make();
  ASSERT_TRUE(setup_.platform);
  startDirectory_ = P().FullPath(".", 4096);
}

void PlatformContract::TearDown() {
  if (setup_.platform && startDirectory_) P().ChangeCurrentFolder(*startDirectory_);
  setup_.platform.reset();
  if (setup_.cleanup) setup_.cleanup();
}

std::string PlatformContract::In(const std::string& name) const {
  return setup_.scratch + "\\" + name;
}

TEST_P(PlatformContract, CreateDirectoryMakesOneFolderAndRefusesExistingOrOrphanNames) {
  EXPECT_TRUE(P().CreateFolder(In("d")));
  EXPECT_TRUE(IsDirectoryAttr(P().QueryAttributes(In("d"))));
  EXPECT_FALSE(P().CreateFolder(In("d"))) << "the folder exists";

  setup_.writeFile(In("f"), "x");
  EXPECT_FALSE(P().CreateFolder(In("f"))) << "a file has the name";
  EXPECT_EQ(setup_.readFile(In("f")), std::optional<std::string>("x"));

  EXPECT_FALSE(P().CreateFolder(In("missing\\d"))) << "the parent is missing";
  EXPECT_FALSE(P().QueryAttributes(In("missing")));
}

TEST_P(PlatformContract, GetFileAttributesTellsFileFolderAndNothing) {
  setup_.writeFile(In("f"), "x");
  ASSERT_TRUE(P().CreateFolder(In("d")));

  std::optional<std::uint32_t> file = P().QueryAttributes(In("f"));
  ASSERT_TRUE(file);
  EXPECT_FALSE(IsDirectoryAttr(file));
  EXPECT_TRUE(IsDirectoryAttr(P().QueryAttributes(In("d"))));
  EXPECT_FALSE(P().QueryAttributes(In("none")));
  EXPECT_FALSE(P().QueryAttributes(In("none\\f")));
}

TEST_P(PlatformContract, MoveRenamesButNeverReplaces) {
  setup_.writeFile(In("a"), "first");
  setup_.writeFile(In("b"), "second");

  EXPECT_FALSE(P().Rename(In("a"), In("b")));
  EXPECT_EQ(setup_.readFile(In("a")), std::optional<std::string>("first"));
  EXPECT_EQ(setup_.readFile(In("b")), std::optional<std::string>("second"));

  EXPECT_FALSE(P().Rename(In("none"), In("c")));
  EXPECT_FALSE(P().QueryAttributes(In("c")));

  EXPECT_TRUE(P().Rename(In("a"), In("c")));
  EXPECT_FALSE(P().QueryAttributes(In("a")));
  EXPECT_EQ(setup_.readFile(In("c")), std::optional<std::string>("first"));
  EXPECT_EQ(setup_.listNames(setup_.scratch), (std::vector<std::string>{"b", "c"}));
}

TEST_P(PlatformContract, MoveRenamesAFolder) {
  ASSERT_TRUE(P().CreateFolder(In("d")));
  setup_.writeFile(In("d\\f"), "x");
  EXPECT_TRUE(P().Rename(In("d"), In("e")));
  EXPECT_EQ(setup_.readFile(In("e\\f")), std::optional<std::string>("x"));
  EXPECT_FALSE(P().QueryAttributes(In("d")));
}

TEST_P(PlatformContract, CopyReplacesTheTargetAndCarriesTheLastWriteTime) {
  setup_.writeFile(In("src"), std::string("new\0bytes\r\n", 11));
  setup_.setTime(In("src"), kSomeTime);
  setup_.writeFile(In("dst"), "old content that is longer");

  ASSERT_TRUE(P().CopyReplacing(In("src"), In("dst")));
  EXPECT_EQ(setup_.readFile(In("dst")),
            std::optional<std::string>(std::string("new\0bytes\r\n", 11)));
  EXPECT_EQ(setup_.timeOf(In("dst")), std::optional<FileTime>(kSomeTime));
  EXPECT_EQ(P().ReadLastWriteTime(In("dst")).time, std::optional<FileTime>(kSomeTime));
  EXPECT_EQ(setup_.readFile(In("src")),
            std::optional<std::string>(std::string("new\0bytes\r\n", 11)));
  EXPECT_EQ(setup_.listNames(setup_.scratch), (std::vector<std::string>{"dst", "src"}))
      << "no temporary file stays behind";
}

// A copy's source is looked at through LookAtSource, which may make one look where QueryFile and
// ReadLastWriteTime make two: it must tell what they tell, for every kind of name.
TEST_P(PlatformContract, TheLookAtASourceTellsWhatItsTwoLooksTell) {
  setup_.writeFile(In("f"), "body");
  setup_.setTime(In("f"), kSomeTime);
  setup_.writeFile(In("blocked"), "body");
  ASSERT_TRUE(P().CreateFolder(In("d")));
  if (setup_.blockReading) setup_.blockReading(In("blocked"));
  for (const char* name : {"f", "blocked", "d", "none"}) {
    const SourceFile source = P().LookAtSource(In(name));
    const std::optional<FileFacts> facts = P().QueryFile(In(name));
    ASSERT_EQ(source.facts.has_value(), facts.has_value()) << name;
    const bool regular = facts && facts->kind == FileKind::kRegular;
    if (facts) {
      EXPECT_EQ(source.facts->kind, facts->kind) << name;
      EXPECT_EQ(source.facts->time, facts->time) << name;
    }
    const LastWriteTime read = regular ? P().ReadLastWriteTime(In(name)) : LastWriteTime();
    EXPECT_EQ(source.read.opened, read.opened) << name;
    EXPECT_EQ(source.read.time, read.time) << name;
  }
  EXPECT_EQ(P().LookAtSource(In("f")).read.time, std::optional<FileTime>(kSomeTime));
}

// Looks in turn tell what QueryFile tells, in runs of paths in one folder and between folders
// (one that cannot be opened among them), and see what changes in a folder between two looks.
TEST_P(PlatformContract, LooksInTurnTellWhatQueryFileTells) {
  ASSERT_TRUE(P().CreateFolder(In("d")));
  ASSERT_TRUE(P().CreateFolder(In("d\\sub")));
  ASSERT_TRUE(P().CreateFolder(In("e")));
  setup_.writeFile(In("d\\f"), "f");
  setup_.writeFile(In("d\\g"), "gg");
  setup_.writeFile(In("e\\h"), "hhh");
  setup_.writeFile(In("blocked"), "body");
  if (setup_.blockReading) setup_.blockReading(In("blocked"));
  const std::unique_ptr<FileLooks> looks = P().LooksInTurn();
  const auto same = [&](const std::string& path) {
    const std::optional<FileFacts> looked = looks->Query(path);
    const std::optional<FileFacts> queried = P().QueryFile(path);
    ASSERT_EQ(looked.has_value(), queried.has_value()) << path;
    if (!queried) return;
    EXPECT_EQ(looked->kind, queried->kind) << path;
    EXPECT_EQ(looked->time, queried->time) << path;
    if (queried->kind == FileKind::kRegular) {
      EXPECT_EQ(looked->size, queried->size) << path;
    }
  };
  for (const char* name :
       {"d\\f", "d\\g", "d\\", "d\\sub", "d\\none", "d/f", "d\\sub\\..", "e\\h", "none\\x",
        "none\\y", "none\\z", "d\\f", "d\\g", "e\\h", "e\\h", "blocked", "d"}) {
    same(In(name));
  }
  same(setup_.scratch);
  same(In("d\\f"));
  same(In("d\\g"));
  setup_.writeFile(In("d\\new"), "new");
  ASSERT_TRUE(P().RemoveFile(In("d\\g")));
  same(In("d\\new"));
  same(In("d\\g"));
}

// Room for a file read whole is zeros of its size, however large and however its memory is made
// present (large pages, ends within a page).
TEST_P(PlatformContract, RoomForAFileIsZeroBytesOfItsSize) {
  for (const std::size_t size : {std::size_t{0}, std::size_t{10}, (std::size_t{5} << 20) + 3}) {
    const std::vector<unsigned char> room = P().RoomForFile(size);
    EXPECT_EQ(room.size(), size);
    EXPECT_TRUE(std::all_of(room.begin(), room.end(), [](unsigned char b) { return b == 0; }));
  }
}

TEST_P(PlatformContract, CacheFilesAreReadByRangeAndKnownByKind) {
  const std::string bytes("head\0body\r\ntail", 15);
  setup_.writeFile(In("f"), bytes);
  setup_.setTime(In("f"), kSomeTime);
  ASSERT_TRUE(P().CreateFolder(In("d")));

  const std::optional<FileFacts> facts = P().QueryFile(In("f"));
  ASSERT_TRUE(facts);
  EXPECT_EQ(facts->kind, FileKind::kRegular);
  EXPECT_EQ(facts->size, bytes.size());
  EXPECT_EQ(facts->time, kSomeTime);
  ASSERT_TRUE(P().QueryFile(In("d")));
  EXPECT_EQ(P().QueryFile(In("d"))->kind, FileKind::kDirectory);
  EXPECT_FALSE(P().QueryFile(In("none")));

  const std::unique_ptr<ReadableFile> file = P().OpenFileForReading(In("f"));
  ASSERT_TRUE(file);
  EXPECT_EQ(file->Facts().size, bytes.size());
  EXPECT_EQ(file->Facts().time, kSomeTime);
  unsigned char buffer[32];
  EXPECT_EQ(file->ReadAt(5, buffer, 6), std::optional<std::size_t>(6));
  EXPECT_EQ(std::string(buffer, buffer + 6), bytes.substr(5, 6));
  EXPECT_EQ(file->ReadAt(11, buffer, sizeof buffer), std::optional<std::size_t>(4)) << "at the end";
  EXPECT_EQ(file->ReadAt(100, buffer, 4), std::optional<std::size_t>(0)) << "past the end";
  EXPECT_FALSE(P().OpenFileForReading(In("d")));
  EXPECT_FALSE(P().OpenFileForReading(In("none")));

  std::optional<std::vector<FolderItem>> items = P().ListFolder(setup_.scratch, true);
  ASSERT_TRUE(items);
  std::sort(items->begin(), items->end(),
            [](const FolderItem& a, const FolderItem& b) { return a.name < b.name; });
  ASSERT_EQ(items->size(), 2u);
  EXPECT_EQ(items->at(0).name, "d");
  EXPECT_EQ(items->at(1).name, "f");
  const std::optional<std::vector<FolderItem>> empty = P().ListFolder(In("d"), false);
  ASSERT_TRUE(empty);
  EXPECT_TRUE(empty->empty());
  EXPECT_FALSE(P().ListFolder(In("f"), false));
  EXPECT_FALSE(P().ListFolder(In("none"), false));
  std::vector<std::string> names;
  const auto take = [&names](std::string_view name) { names.emplace_back(name); };
  ASSERT_TRUE(P().ListNames(setup_.scratch, take));
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"d", "f"}));
  EXPECT_FALSE(P().ListNames(In("f"), take));
  EXPECT_FALSE(P().ListNames(In("none"), take));
  const std::unique_ptr<OpenedFolder> opened = P().OpenFolder(setup_.scratch);
  ASSERT_TRUE(opened);
  EXPECT_FALSE(opened->QueryName("none"));
  EXPECT_FALSE(P().OpenFolder(In("f")));
  EXPECT_FALSE(P().OpenFolder(In("none")));
  for (const FolderItem& item : *items) {
    const std::optional<FileFacts> queried = P().QueryFile(In(item.name));
    const std::optional<FileFacts> named = opened->QueryName(item.name);
    ASSERT_TRUE(named) << item.name;
    EXPECT_EQ(named->kind, queried->kind) << item.name;
    EXPECT_EQ(named->time, queried->time) << item.name;
    ASSERT_TRUE(item.facts && queried) << item.name;
    EXPECT_EQ(item.facts->kind, queried->kind) << item.name;
    EXPECT_EQ(item.facts->time, queried->time) << item.name;
    if (queried->kind == FileKind::kRegular) {
      EXPECT_EQ(item.facts->size, queried->size);
    }
  }
}

namespace {

// The bytes of `file`, or "(none)" when it is null.
std::string BytesOf(const std::unique_ptr<ReadableFile>& file) {
  if (!file) return "(none)";
  std::string bytes(static_cast<std::size_t>(file->Facts().size), '\0');
  const std::optional<std::size_t> got =
      file->ReadAt(0, reinterpret_cast<unsigned char*>(&bytes[0]), bytes.size());
  return got && *got == bytes.size() ? bytes : "(unreadable)";
}

}  // namespace

// A folder held open opens its own names, one step down and of the right kind only, and stays
// the folder read when its path is renamed and another folder is put in its place.
TEST_P(PlatformContract, OpenedFolderOpensItsNamesOneStepDownWhateverHappensToItsPath) {
  ASSERT_TRUE(P().CreateFolder(In("d")));
  ASSERT_TRUE(P().CreateFolder(In("d\\sub")));
  setup_.writeFile(In("d\\f"), "held");
  setup_.writeFile(In("d\\sub\\g"), "below");
  setup_.writeFile(In("top"), "top");
  const std::unique_ptr<OpenedFolder> held = P().OpenFolder(In("d"));
  ASSERT_TRUE(held);
  const std::unique_ptr<OpenedFolder> sub = held->OpenSubfolder("sub");
  ASSERT_TRUE(sub);
  EXPECT_FALSE(held->OpenSubfolder("f"));
  EXPECT_FALSE(held->OpenSubfolder(".."));
  EXPECT_FALSE(held->OpenSubfolder("none"));
  for (const char* name : {"sub", "none", "", ".", "..", "sub\\g", "sub/g", "..\\top", "../top"}) {
    EXPECT_FALSE(held->OpenName(name)) << name;
  }
  // A NUL ends the name the system would see ("f", a file here): no name holds one.
  EXPECT_FALSE(held->OpenName(std::string("f\0x", 3)));
  EXPECT_FALSE(held->QueryName(std::string("f\0x", 3)));
  EXPECT_EQ(BytesOf(sub->OpenName("g")), "below");

  ASSERT_TRUE(P().Rename(In("d"), In("moved")));
  ASSERT_TRUE(P().CreateFolder(In("d")));
  ASSERT_TRUE(P().CreateFolder(In("d\\sub")));
  setup_.writeFile(In("d\\f"), "other");
  setup_.writeFile(In("d\\sub\\g"), "other");
  EXPECT_EQ(BytesOf(held->OpenName("f")), "held");
  EXPECT_EQ(held->QueryName("f")->size, 4u);
  // Wine loses a folder opened from another once that one is renamed, and then opens nothing in
  // it: never the folder now at its path.
  const std::string below = BytesOf(sub->OpenName("g"));
  EXPECT_TRUE(below == "below" || (GetParam().name == std::string("Win32") && below == "(none)"))
      << below;
}

TEST_P(PlatformContract, CurrentTimeIsTheClockOfNewFiles) {
  const FileTime before = P().CurrentTime();
  setup_.writeFile(In("new"), "x");
  const FileTime after = P().CurrentTime();
  const std::optional<FileFacts> facts = P().QueryFile(In("new"));
  ASSERT_TRUE(facts);
  // File systems keep times coarser than the clock: ext4 to a tick, FAT to two seconds.
  constexpr FileTime kSlack = 3 * 10000000ull;
  EXPECT_LE(before, facts->time + kSlack);
  EXPECT_LE(facts->time, after + kSlack);
}

TEST_P(PlatformContract, BodyWriterReplacesTheTargetWholeOrLeavesIt) {
  const auto chunk = [](const char* text) { return reinterpret_cast<const unsigned char*>(text); };
  setup_.writeFile(In("page"), "old");
  {
    const std::unique_ptr<BodyWriter> writer = P().CreateBodyWriter(In("page"));
    ASSERT_TRUE(writer);
    ASSERT_TRUE(writer->Append(chunk("new "), 4));
    ASSERT_TRUE(writer->Append(chunk("body"), 4));
    EXPECT_EQ(setup_.readFile(In("page")), std::optional<std::string>("old")) << "before Commit";
    ASSERT_TRUE(writer->Commit(kSomeTime));
  }
  EXPECT_EQ(setup_.readFile(In("page")), std::optional<std::string>("new body"));
  EXPECT_EQ(setup_.timeOf(In("page")), std::optional<FileTime>(kSomeTime));
  {
    const std::unique_ptr<BodyWriter> abandoned = P().CreateBodyWriter(In("page"));
    ASSERT_TRUE(abandoned);
    ASSERT_TRUE(abandoned->Append(chunk("lost"), 4));
  }
  EXPECT_EQ(setup_.readFile(In("page")), std::optional<std::string>("new body"));
  {
    const std::unique_ptr<BodyWriter> fresh = P().CreateBodyWriter(In("empty"));
    ASSERT_TRUE(fresh);
    ASSERT_TRUE(fresh->Commit(kSomeTime));
  }
  EXPECT_EQ(setup_.readFile(In("empty")), std::optional<std::string>(""));
  EXPECT_EQ(setup_.listNames(setup_.scratch), (std::vector<std::string>{"empty", "page"}))
      << "no temporary stays behind";
  EXPECT_FALSE(P().CreateBodyWriter(In("none\\page"))) << "a target in a missing folder";

  EXPECT_FALSE(P().CreateNewBodyWriter(In("page"))) << "a file is at the name";
  P().CreateFolder(In("folder"));
  EXPECT_FALSE(P().CreateNewBodyWriter(In("folder"))) << "a folder is at the name";
  {
    const std::unique_ptr<BodyWriter> abandoned = P().CreateNewBodyWriter(In("new"));
    ASSERT_TRUE(abandoned);
    ASSERT_TRUE(abandoned->Append(chunk("lost"), 4));
  }
  EXPECT_FALSE(setup_.readFile(In("new"))) << "an abandoned new file leaves nothing";
  const std::unique_ptr<BodyWriter> made = P().CreateNewBodyWriter(In("new"));
  ASSERT_TRUE(made);
  ASSERT_TRUE(made->Append(chunk("made"), 4));
  ASSERT_TRUE(made->Commit(kSomeTime));
  EXPECT_EQ(setup_.readFile(In("new")), std::optional<std::string>("made"));
  EXPECT_EQ(setup_.timeOf(In("new")), std::optional<FileTime>(kSomeTime));
}

TEST_P(PlatformContract, CopyMakesANewFile) {
  setup_.writeFile(In("src"), "");
  setup_.setTime(In("src"), kSomeTime);
  ASSERT_TRUE(P().CopyReplacing(In("src"), In("dst")));
  EXPECT_EQ(setup_.readFile(In("dst")), std::optional<std::string>(""));
  EXPECT_EQ(setup_.timeOf(In("dst")), std::optional<FileTime>(kSomeTime));
}

TEST_P(PlatformContract, FailedCopyLeavesNothingBehind) {
  setup_.writeFile(In("src"), "content");
  setup_.writeFile(In("old"), "old");
  ASSERT_TRUE(P().CreateFolder(In("dir")));
  const std::vector<std::string> before = setup_.listNames(setup_.scratch);

  struct Case {
    const char* what;
    std::string from;
    std::string to;
  };
  const Case cases[] = {
      {"missing source", In("none"), In("out")},
      {"missing source onto an existing file", In("none"), In("old")},
      {"missing target folder", In("src"), In("nofolder\\out")},
      {"target is a folder", In("src"), In("dir")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(P().CopyReplacing(c.from, c.to));
    EXPECT_EQ(setup_.listNames(setup_.scratch), before);
    EXPECT_EQ(setup_.readFile(In("old")), std::optional<std::string>("old"));
    EXPECT_TRUE(setup_.listNames(In("dir")).empty());
  }
}

TEST_P(PlatformContract, CopyOfAnUnreadableSourceFailsAndKeepsTheTarget) {
  if (!setup_.blockReading) GTEST_SKIP() << "files cannot be made unreadable here";
  setup_.writeFile(In("src"), "content");
  setup_.writeFile(In("old"), "old");
  setup_.blockReading(In("src"));

  EXPECT_FALSE(P().CopyReplacing(In("src"), In("old")));
  EXPECT_FALSE(P().CopyReplacing(In("src"), In("new")));
  EXPECT_EQ(setup_.readFile(In("old")), std::optional<std::string>("old"));
  EXPECT_EQ(setup_.listNames(setup_.scratch), (std::vector<std::string>{"old", "src"}));
}

TEST_P(PlatformContract, TemporaryNamesAreDistinctEmptyFilesInTheFolder) {
  std::set<std::string> names;
  for (int i = 0; i < 3; ++i) {
    std::optional<std::string> name = P().CreateTemporaryFile(setup_.scratch, "mu", 0);
    ASSERT_TRUE(name);
    const std::string folder = Upper(setup_.scratch + "\\");
    ASSERT_EQ(Upper(name->substr(0, folder.size())), folder) << *name;
    const std::string leaf = Upper(name->substr(folder.size()));
    EXPECT_EQ(leaf.substr(0, 2), "MU") << *name;
    EXPECT_EQ(leaf.substr(leaf.size() - 4), ".TMP") << *name;
    EXPECT_EQ(setup_.readFile(*name), std::optional<std::string>("")) << *name;
    names.insert(*name);
  }
  EXPECT_EQ(names.size(), 3u);
  EXPECT_EQ(setup_.listNames(setup_.scratch).size(), 3u);
  EXPECT_FALSE(P().CreateTemporaryFile(In("none"), "mu", 0));
}

TEST_P(PlatformContract, DeleteRemovesFilesOnly) {
  setup_.writeFile(In("f"), "x");
  ASSERT_TRUE(P().CreateFolder(In("d")));

  EXPECT_TRUE(P().RemoveFile(In("f")));
  EXPECT_FALSE(P().QueryAttributes(In("f")));
  EXPECT_FALSE(P().RemoveFile(In("f"))) << "already gone";
  EXPECT_FALSE(P().RemoveFile(In("d"))) << "a folder";
  EXPECT_TRUE(IsDirectoryAttr(P().QueryAttributes(In("d"))));
}

TEST_P(PlatformContract, ReadLastWriteTimeOfPresentAndMissingFiles) {
  setup_.writeFile(In("f"), "x");
  setup_.setTime(In("f"), kSomeTime);

  LastWriteTime present = P().ReadLastWriteTime(In("f"));
  EXPECT_TRUE(present.opened);
  EXPECT_EQ(present.time, std::optional<FileTime>(kSomeTime));

  LastWriteTime missing = P().ReadLastWriteTime(In("none"));
  EXPECT_FALSE(missing.opened);
  EXPECT_FALSE(missing.time);
}

TEST_P(PlatformContract, FullPathsResolveAgainstTheCurrentFolder) {
  ASSERT_TRUE(P().ChangeCurrentFolder(setup_.scratch));
  const std::string& s = setup_.scratch;
  const std::string leaf = s.substr(s.rfind('\\') + 1);
  struct Case {
    std::string path;
    std::string full;
  };
  const Case cases[] = {
      {"a", s + "\\a"},
      {".\\a", s + "\\a"},
      {"a\\b\\", s + "\\a\\b\\"},
      {".", s},
      {"x\\..\\b", s + "\\b"},
      {"..\\" + leaf + "\\c", s + "\\c"},
      {s + "\\x\\.\\y", s + "\\x\\y"},
      {s + "\\x\\..\\y", s + "\\y"},
      {s + "\\x\\y\\..\\..\\z", s + "\\z"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(P().FullPath(c.path, 4096), std::optional<std::string>(c.full)) << c.path;
  }
  EXPECT_FALSE(P().FullPath("a", s.size() + 1)) << "over the limit";
}

TEST_P(PlatformContract, SetCurrentDirectoryFailsOnAMissingFolder) {
  EXPECT_FALSE(P().ChangeCurrentFolder(In("none")));
  ASSERT_TRUE(P().CreateFolder(In("d")));
  ASSERT_TRUE(P().ChangeCurrentFolder(In("d")));
  EXPECT_EQ(P().FullPath(".", 4096), std::optional<std::string>(In("d")));
}

TEST_P(PlatformContract, ProfileReadsSectionsAndStrings) {
  setup_.writeFile(In("t.ini"),
                   "[One]\r\n"
                   "alpha = 1\r\n"
                   "; a note\r\n"
                   "\r\n"
                   "beta=\"two words\"\r\n"
                   "[two]\r\n"
                   "alpha=other\r\n");
  const std::string file = In("t.ini");
  EXPECT_EQ(P().ReadProfileSection("one", file, 1000),
            (std::vector<std::string>{"alpha=1", "beta=\"two words\""}));
  EXPECT_EQ(P().ReadProfileSection("TWO", file, 1000), (std::vector<std::string>{"alpha=other"}));
  EXPECT_EQ(P().ReadProfileStrings("ONE", {"Beta", "alpha", "gamma", "ALPHA"}, file),
            (std::vector<std::string>{"two words", "1", "", "1"}));

  EXPECT_TRUE(P().ReadProfileSection("three", file, 1000).empty());
  EXPECT_TRUE(P().ReadProfileSection("one", In("none.ini"), 1000).empty());
  EXPECT_EQ(P().ReadProfileStrings("one", {"alpha", "beta"}, In("none.ini")),
            (std::vector<std::string>{"", ""}));
}

TEST_P(PlatformContract, ProfileFileRelativeToTheCurrentFolder) {
  setup_.writeFile(In("rel.ini"), "[strings]\nkey1=hello\n");
  ASSERT_TRUE(P().ChangeCurrentFolder(setup_.scratch));
  EXPECT_EQ(P().ReadProfileStrings("strings", {"key1"}, ".\\rel.ini"),
            std::vector<std::string>{"hello"});
  EXPECT_EQ(P().ReadProfileSection("strings", ".\\rel.ini", 1000),
            (std::vector<std::string>{"key1=hello"}));
}

TEST_P(PlatformContract, ListingLinesEndInCrLf) {
  std::unique_ptr<ListingWriter> listing = ListingWriter::Open(P(), In("urls.txt"));
  ASSERT_TRUE(listing);
  EXPECT_FALSE(listing->WriteLine({"one", "1"}));
  // A line end within a field ends a line there, and says so.
  EXPECT_TRUE(listing->WriteLine({"two\nthree"}));
  EXPECT_TRUE(listing->Close());
  EXPECT_EQ(setup_.readFile(In("urls.txt")),
            std::optional<std::string>("one\t1\r\ntwo\r\nthree\r\n"));
  EXPECT_EQ(setup_.listNames(setup_.scratch), std::vector<std::string>{"urls.txt"});

  EXPECT_FALSE(ListingWriter::Open(P(), In("none\\urls.txt")));
}

// The earlier listing stays whole until the new one is done, and stays as it is (its time too)
// when the new one holds the same bytes.
TEST_P(PlatformContract, ListingReplacesTheEarlierOneOnlyWhenItDiffers) {
  const std::string earlier = "earlier\r\nrun\r\n";
  setup_.writeFile(In("urls.txt"), earlier);
  setup_.setTime(In("urls.txt"), kSomeTime);
  std::unique_ptr<ListingWriter> same = ListingWriter::Open(P(), In("urls.txt"));
  ASSERT_TRUE(same);
  same->WriteLine({"earlier"});
  same->WriteLine({"run"});
  EXPECT_TRUE(same->Close());
  EXPECT_EQ(setup_.timeOf(In("urls.txt")), std::optional<FileTime>(kSomeTime));

  // A shorter listing that begins the same, and a longer one.
  const std::pair<std::vector<const char*>, const char*> cases[] = {
      {{"earlier"}, "earlier\r\n"}, {{"earlier", "run", "more"}, "earlier\r\nrun\r\nmore\r\n"}};
  for (const auto& [lines, expected] : cases) {
    std::unique_ptr<ListingWriter> other = ListingWriter::Open(P(), In("urls.txt"));
    ASSERT_TRUE(other);
    for (const char* line : lines) other->WriteLine({line});
    EXPECT_EQ(setup_.readFile(In("urls.txt")), std::optional<std::string>(earlier));
    EXPECT_TRUE(other->Close());
    EXPECT_EQ(setup_.readFile(In("urls.txt")), std::optional<std::string>(expected));
    setup_.writeFile(In("urls.txt"), earlier);
  }
  EXPECT_EQ(setup_.listNames(setup_.scratch), std::vector<std::string>{"urls.txt"});
}

TEST_P(PlatformContract, UserCacheFolderIsAFullPath) {
  const std::optional<std::string> folder = P().UserCacheFolder();
  ASSERT_TRUE(folder);
  ASSERT_FALSE(folder->empty());
  EXPECT_EQ(P().FullPath(*folder, kPathBufferSize), folder);
}

}  // namespace murel

// The portable profile reader against the real profile functions: the same file, read both ways,
// must give the same sections and values.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "platform/profile_text.h"
#include "platform/win32/win32_platform.h"

namespace murel {
namespace {

struct Query {
  std::string section;
  std::string key;  // empty: read the whole section
  std::size_t capacity = 100000;
};

struct ProfileCase {
  const char* name;
  std::string text;
  std::vector<Query> queries;
};

std::string Repeat(char c, std::size_t count) { return std::string(count, c); }

std::vector<ProfileCase> Cases() {
  const std::string long600 = Repeat('x', 600);
  return {
      {"Comments and blank lines",
       "[s]\n; comment\n\na=1\n   ;indented comment\n\t\nb=2\n#hash=3\n",
       {{"s", ""}, {"s", "a"}, {"s", "b"}, {"s", "#hash"}, {"s", "; comment"}}},
      {"Blanks around the equals sign and at line ends",
       "[s]\n  key  =  value  \n\tk2\t=\tv2\t\nk3=  \n  =v4\nk5 = a = b \n",
       {{"s", ""}, {"s", "key"}, {"s", "k2"}, {"s", "k3"}, {"s", ""}, {"s", "k5"}}},
      {"Case of section and key names",
       "[MixedCase]\nSomeKey=v\n",
       {{"mixedcase", ""}, {"MIXEDCASE", "somekey"}, {"mixedCASE", "SOMEKEY"}}},
      {"Quoted values",
       "[s]\nq=\"quoted\"\nh=\"half\nm=\"a\" b\"\ns='single'\nb=\" blanks \"\ne=\"\"\n",
       {{"s", ""}, {"s", "q"}, {"s", "h"}, {"s", "m"}, {"s", "s"}, {"s", "b"}, {"s", "e"}}},
      {"Duplicate keys", "[s]\nk=first\nK=second\nk=third\n", {{"s", ""}, {"s", "k"}}},
      {"Duplicate sections",
       "[s]\na=1\n[t]\nb=2\n[S]\nc=3\na=4\n",
       {{"s", ""}, {"t", ""}, {"s", "a"}, {"s", "c"}}},
      {"Long values",
       "[s]\nlong=" + long600 + "\nq=\"" + long600 + "\"\nat499=" + Repeat('y', 499) +
           "\nat500=" + Repeat('z', 500) + "\n",
       {{"s", "long"}, {"s", "q"}, {"s", "at499"}, {"s", "at500"}}},
      {"CR LF line ends",
       "[s]\r\na=1\r\n; note\r\n\r\nb = 2 \r\n[t]\r\nc=3\r\n",
       {{"s", ""}, {"t", ""}, {"s", "a"}, {"s", "b"}, {"t", "c"}}},
      {"No line end at the end", "[s]\na=1\nlast=2", {{"s", ""}, {"s", "last"}}},
      {"Entries without a key",
       "[s]\njust text\n  spaced   text  \n=only value\n",
       {{"s", ""}, {"s", "just text"}}},
      {"Section headers",
       "before=0\n[ spaced ]\na=1\n[open\nb=2\n[x]trailing\nc=3\n",
       {{"spaced", ""}, {"spaced", "b"}, {"x", ""}, {"x", "c"}, {"open", ""}}},
      {"Names asked for with blanks around them",
       "[s]\na=1\n",
       {{" s ", ""}, {"s", " a "}, {"\ts", "a"}}},
      {"Missing section and key", "[s]\na=1\n", {{"none", ""}, {"none", "a"}, {"s", "b"}}},
      {"Empty section", "[s]\n[t]\na=1\n", {{"s", ""}, {"t", ""}}},
      {"Section cut by the buffer",
       "[s]\naaaa=1\nbbbb=2\ncccc=3\n",
       {{"s", "", 7}, {"s", "", 8}, {"s", "", 14}, {"s", "", 15}, {"s", "", 16}, {"s", "", 22}}},
  };
}

std::string Show(const std::vector<std::string>& entries) {
  std::string shown = "{";
  for (const std::string& entry : entries) shown += " \"" + entry + "\"";
  return shown + " }";
}

class Win32Profile : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    ASSERT_NE(::GetTempPathA(MAX_PATH, temp), 0u);
    folder_ = temp;
  }
  void TearDown() override {
    for (const std::string& file : files_) ::DeleteFileA(file.c_str());
  }

  // A new profile file with the bytes `text`. Each file has a fresh name: the system keeps
  // recently read profile files in memory.
  std::string Write(const std::string& text) {
    char name[MAX_PATH];
    EXPECT_NE(::GetTempFileNameA(folder_.c_str(), "ini", 0, name), 0u);
    files_.push_back(name);
    std::FILE* file = std::fopen(name, "wb");
    EXPECT_NE(file, nullptr);
    if (file != nullptr) {
      std::fwrite(text.data(), 1, text.size(), file);
      std::fclose(file);
    }
    return name;
  }

  std::string folder_;
  std::vector<std::string> files_;
  Win32Platform platform_;
};

TEST_F(Win32Profile, PortableReaderAnswersAsTheSystem) {
  for (const ProfileCase& c : Cases()) {
    const std::string file = Write(c.text);
    for (const Query& q : c.queries) {
      SCOPED_TRACE(std::string(c.name) + ": section \"" + q.section + "\" key \"" + q.key +
                   "\" capacity " + std::to_string(q.capacity));
      if (q.key.empty()) {
        EXPECT_EQ(Show(ProfileSection(c.text, q.section, q.capacity)),
                  Show(platform_.ReadProfileSection(q.section, file, q.capacity)));
      } else {
        EXPECT_EQ(ProfileStrings(c.text, q.section, {q.key}),
                  platform_.ReadProfileStrings(q.section, {q.key}, file));
      }
    }
  }
}

TEST_F(Win32Profile, MissingFileGivesNothing) {
  const std::string missing = folder_ + "murel-no-such-file.ini";
  EXPECT_TRUE(platform_.ReadProfileSection("s", missing, 1000).empty());
  EXPECT_EQ(platform_.ReadProfileStrings("s", {"a"}, missing), std::vector<std::string>{""});
}

}  // namespace
}  // namespace murel

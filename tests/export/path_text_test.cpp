#include "export/path_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace murel {
namespace {

struct PathCase {
  std::string path;
  std::string part;
};

TEST(PathTextTest, FindsTheExtensionAfterTheLastSeparator) {
  const std::vector<PathCase> cases = {
      {"C:\\out\\a.html", ".html"},
      {"C:\\out\\a.tar.gz", ".gz"},
      {"C:\\out\\a", ""},
      {"C:\\out.d\\a", ""},  // the dot belongs to a directory
      {"C:\\out\\a.", "."},
      {"C:\\out\\.profile", ".profile"},
      {"C:\\out\\a.b c", ""},               // a blank after the dot
      {"C:\\out\\a b.c", ".c"},             // a blank before it does not matter
      {"C:\\out\\http://h/x.y/z", ".y/z"},  // "/" separates nothing here
      {"", ""},
      {"a.b\\", ""},
  };
  for (const PathCase& c : cases) EXPECT_EQ(PathFindExtensionA(c.path), c.part) << c.path;
}

TEST(PathTextTest, RemovesTheLastComponent) {
  const std::vector<PathCase> cases = {
      {"C:\\out\\a\\b", "C:\\out\\a"},
      {"C:\\out\\a\\", "C:\\out\\a"},
      {"C:\\a", "C:"},
      {"C:\\", "C:"},
      {"C:\\out\\a\\\\b", "C:\\out\\a\\"},  // two separators: the first one stays
      {"\\\\srv\\share\\a", "\\\\srv\\share"},
      {"C:\\out\\h/a/b", "C:\\out"},  // "/" separates nothing here
      {"name", ""},
      {"", ""},
  };
  for (const PathCase& c : cases) EXPECT_EQ(PathRemoveFileSpecA(c.path), c.part) << c.path;
}

}  // namespace
}  // namespace murel

// The native program on a cache whose URLs attack the export: it must end normally, write
// nothing beside its export folder, and export every ordinary entry.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host_files.h"
#include "hostile_cache.h"
#include "scratch_folder.h"

namespace fs = std::filesystem;

namespace murel {
namespace {

TEST(HostileCacheEndToEnd, NothingLeavesTheRootAndOrdinaryEntriesAreExported) {
  const ScratchFolder folder("hostile");
  const fs::path& scratch = folder.path();
  ASSERT_FALSE(scratch.empty());
  // The export lies two levels down, so that climbing one or two levels lands in watched folders.
  const fs::path root = scratch / "a" / "b" / "out";
  fs::create_directories(root.parent_path());
  std::ofstream(scratch / "a" / "keep.txt") << "keep";
  fs::create_directory(scratch / "cache");
  ASSERT_TRUE(WriteHostileCache((scratch / "cache").string()));
  fs::copy_file(fs::path(MUREL_SOURCE_DIR) / "samples" / "murel.ini", scratch / "murel.ini");
  const std::vector<std::string> before = TreeOf(scratch, root);

  const std::string command = "cd '" + scratch.string() + "' && '" + MUREL_BINARY +
                              "' -nm -c cache a/b/out >/dev/null 2>&1";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status)) << "the program did not end normally";
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(TreeOf(scratch, root), before) << "something was written beside the export";
  for (const ExpectedExport& entry : HostileCacheOrdinaryEntries()) {
    EXPECT_EQ(ReadAll(root / entry.path), entry.content) << entry.url;
  }
  EXPECT_EQ(ReadAll(root / "http" / "host" / "same.html"), "same");
  // Every entry has its listing line, the 3,000 of one URL included, and no more: a URL with
  // line ends and tabs forges none, nor a name that holds them.
  const std::string listing = ReadAll(root / "urls.txt");
  EXPECT_EQ(static_cast<std::size_t>(std::count(listing.begin(), listing.end(), '\n')),
            HostileCacheEntryCount());
  for (const auto& item : fs::recursive_directory_iterator(root)) {
    const std::string name = item.path().filename().string();
    EXPECT_EQ(std::count_if(name.begin(), name.end(), [](unsigned char c) { return c < 0x20; }), 0)
        << name;
  }
}

}  // namespace
}  // namespace murel

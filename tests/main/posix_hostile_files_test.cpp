// The native program against caches and export folders built by hand as an attacker would:
// names that climb out of the cache, links and pipes among the content files, an index.dat that
// claims to be huge, and links in the export folder. Each run must end by itself, read nothing
// outside the cache, and write nothing outside the export.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/host_files.h"
#include "support/index_dat_writer.h"
#include "support/scratch_folder.h"

namespace fs = std::filesystem;

namespace murel {
namespace {

class HostileFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(scratch_.empty());
    fs::create_directories(scratch_ / "cache" / "CONTENT1");
    fs::create_directories(scratch_ / "outside");
    std::ofstream(scratch_ / "secret.txt") << "secret";
    std::ofstream(scratch_ / "outside" / "page.htm") << "outside";
    fs::copy_file(fs::path(MUREL_SOURCE_DIR) / "samples" / "murel.ini", scratch_ / "murel.ini");
  }

  // Writes cache/index.dat with one entry per (url, file name, directory); the directory is one
  // of `directories` by index, or none.
  void WriteIndex(const std::vector<std::string>& directories,
                  const std::vector<std::tuple<std::string, std::string, int>>& entries) {
    IndexDatWriter index;
    for (const std::string& directory : directories) index.AddDirectory(directory);
    index.AddTable();
    for (const auto& [url, file, directory] : entries) {
      index.AddUrl(
          url, file,
          directory < 0 ? IndexDatWriter::kNoDirectory : static_cast<std::uint8_t>(directory));
    }
    const std::vector<unsigned char> bytes = index.Bytes();
    std::ofstream(scratch_ / "cache" / "index.dat", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }

  // Runs the program in the scratch folder, killed if it runs past 20 seconds; its exit status.
  int Run(const std::string& arguments) {
    const std::string command = "cd '" + scratch_.string() + "' && timeout 20 '" + MUREL_BINARY +
                                "' " + arguments + " >stdout.txt 2>stderr.txt";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  ScratchFolder folder_{"files"};
  const fs::path& scratch_ = folder_.path();
};

TEST_F(HostileFilesTest, ContentOutsideTheCacheThroughLinksOrPipesIsRefusedAndReported) {
  WriteIndex({"CONTENT1", "LINKDIR1"}, {{"http://h/climb", "..\\..\\secret.txt", 0},
                                        {"http://h/slash", "../secret.txt", -1},
                                        {"http://h/link", "link.htm", 0},
                                        {"http://h/dirlink", "page.htm", 1},
                                        {"http://h/fifo", "fifo.htm", 0},
                                        {"http://h/ok", "ok.htm", 0}});
  std::ofstream(scratch_ / "cache" / "CONTENT1" / "ok.htm") << "ok";
  fs::create_symlink(scratch_ / "secret.txt", scratch_ / "cache" / "CONTENT1" / "link.htm");
  fs::create_directory_symlink(scratch_ / "outside", scratch_ / "cache" / "LINKDIR1");
  ASSERT_EQ(::mkfifo((scratch_ / "cache" / "CONTENT1" / "fifo.htm").c_str(), 0600), 0);

  // The refused entries were not exported, which the status tells.
  ASSERT_EQ(Run("-c cache out"), 4) << ReadAll(scratch_ / "stderr.txt");
  EXPECT_EQ(ReadAll(scratch_ / "out" / "http" / "h" / "ok"), "ok");
  for (const char* refused : {"climb", "slash", "link", "dirlink", "fifo"}) {
    EXPECT_FALSE(fs::exists(scratch_ / "out" / "http" / "h" / refused)) << refused;
  }
  // Each refused entry is reported like a failed copy, naming its file.
  const std::string errors = ReadAll(scratch_ / "stderr.txt");
  for (const char* named : {"secret.txt", "link.htm", "LINKDIR1/page.htm", "fifo.htm"}) {
    EXPECT_NE(errors.find(named), std::string::npos) << named << " in:\n" << errors;
  }
}

TEST_F(HostileFilesTest, AnIndexThatClaimsToBeHugeIsRefusedAsDamaged) {
  // 100 GiB that take a few KB on disk: nothing may be allocated by that size.
  { std::ofstream(scratch_ / "cache" / "index.dat") << "Client UrlCache MMF Ver 5.2"; }
  fs::resize_file(scratch_ / "cache" / "index.dat", std::uintmax_t{100} << 30);
  EXPECT_EQ(Run("-nm -c cache out"), 1);
}

TEST_F(HostileFilesTest, TheListingIsNeverWrittenThroughALink) {
  WriteIndex({"CONTENT1"}, {{"http://h/ok", "ok.htm", 0}});
  std::ofstream(scratch_ / "cache" / "CONTENT1" / "ok.htm") << "ok";
  fs::create_directories(scratch_ / "out");
  // A link in the listing's place is replaced by the listing, never followed.
  fs::create_symlink(scratch_ / "secret.txt", scratch_ / "out" / "urls.txt");
  EXPECT_EQ(Run("-nm -c cache out"), 0);
  EXPECT_EQ(ReadAll(scratch_ / "secret.txt"), "secret");
  EXPECT_FALSE(fs::is_symlink(scratch_ / "out" / "urls.txt"));
  EXPECT_NE(ReadAll(scratch_ / "out" / "urls.txt").find("http://h/ok\t"), std::string::npos);

  fs::create_directories(scratch_ / "dangling");
  fs::create_symlink(scratch_ / "made.txt", scratch_ / "dangling" / "urls.txt");
  EXPECT_EQ(Run("-nm -c missing dangling"), 1);
  EXPECT_FALSE(fs::exists(scratch_ / "made.txt"));
  EXPECT_FALSE(fs::is_symlink(scratch_ / "dangling" / "urls.txt"));
}

TEST_F(HostileFilesTest, LinksBelowTheExportRootAreNeverWrittenThrough) {
  WriteIndex({"CONTENT1"}, {{"http://h/a/page", "page.htm", 0}, {"http://h/b", "b.htm", 0}});
  std::ofstream(scratch_ / "cache" / "CONTENT1" / "page.htm") << "page";
  std::ofstream(scratch_ / "cache" / "CONTENT1" / "b.htm") << "b";
  fs::create_directories(scratch_ / "out" / "http" / "h");
  // A level that leads outside, and a target name that is a link to an outside folder.
  fs::create_directory_symlink(scratch_ / "outside", scratch_ / "out" / "http" / "h" / "a");
  fs::create_directories(scratch_ / "elsewhere");
  fs::create_directory_symlink(scratch_ / "elsewhere", scratch_ / "out" / "http" / "h" / "b");
  const std::vector<std::string> outside = TreeOf(scratch_ / "outside");

  ASSERT_EQ(Run("-nm -c cache out"), 0);
  EXPECT_EQ(TreeOf(scratch_ / "outside"), outside);
  EXPECT_TRUE(TreeOf(scratch_ / "elsewhere").empty());
  EXPECT_EQ(ReadAll(scratch_ / "out" / "http" / "h" / "a" / "page"), "page");
  EXPECT_FALSE(fs::is_symlink(scratch_ / "out" / "http" / "h" / "a"));
  EXPECT_TRUE(fs::is_symlink(scratch_ / "out" / "http" / "h" / "a" / "__")) << "the link kept";
  EXPECT_EQ(ReadAll(scratch_ / "out" / "http" / "h" / "b"), "b") << "the link replaced";
}

TEST_F(HostileFilesTest, TheExportRootItselfMayBeALink) {
  WriteIndex({"CONTENT1"}, {{"http://h/ok", "ok.htm", 0}});
  std::ofstream(scratch_ / "cache" / "CONTENT1" / "ok.htm") << "ok";
  fs::create_directory_symlink(scratch_ / "outside", scratch_ / "out");
  ASSERT_EQ(Run("-nm -c cache out"), 0);
  EXPECT_EQ(ReadAll(scratch_ / "outside" / "http" / "h" / "ok"), "ok");
}

}  // namespace
}  // namespace murel

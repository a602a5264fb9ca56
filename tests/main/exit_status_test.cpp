// The program tells by its exit status whether every selected entry reached its target, natively
// and (MinGW build) under Wine.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/host_files.h"
#include "support/host_runner.h"
#include "support/index_dat_writer.h"

namespace murel {
namespace {

// A target that the system refuses to replace (Windows: another process holds it open without
// sharing; POSIX: past a file-size limit) fails its copy: the run goes on and ends with status 4;
// once the target is free, with 0.
TEST(ExitStatus, ACopyThatFailsEndsWithStatusFour) {
  const HostFolder folder("status");
  ASSERT_FALSE(folder.path().empty());
  ASSERT_TRUE(MakeFolders(folder.At("cache/CONTENT1")) && MakeFolders(folder.At("out/http/h")));
  const std::string page(20000, 'n');
  ASSERT_TRUE(WriteHostFile(folder.At("cache/CONTENT1/page.htm"), page));
  ASSERT_TRUE(WriteHostFile(folder.At("cache/CONTENT1/other.htm"), "other"));
  ASSERT_TRUE(WriteHostFile(folder.At("murel.ini"),
                            ReadAll(std::string(MUREL_SOURCE_DIR) + "/samples/murel.ini")));
  IndexDatWriter index;
  index.AddDirectory("CONTENT1");
  index.AddTable();
  index.AddUrl("http://h/page", "page.htm", 0);
  index.AddUrl("http://h/other", "other.htm", 0);
  const std::vector<unsigned char> bytes = index.Bytes();
  ASSERT_TRUE(WriteHostFile(folder.At("cache/index.dat"), std::string(bytes.begin(), bytes.end())));
  // Older than the cache's copy, so that the copy replaces it once it may.
  const std::string target = folder.At("out/http/h/page");
  ASSERT_TRUE(WriteHostFile(target, "old") && SetHostFileTime(target, 1000000));
  const std::vector<std::string> arguments{"-nm", "-c", "cache", "out"};

  EXPECT_EQ(RunMurelRefusing(target, folder.path(), arguments), 4);
  EXPECT_EQ(ReadAll(target), "old");
  EXPECT_EQ(ReadAll(folder.At("out/http/h/other")), "other");

  EXPECT_EQ(RunMurel(folder.path(), arguments), 0);
  EXPECT_TRUE(ReadAll(target) == page) << "the target was not replaced";
}

}  // namespace
}  // namespace murel

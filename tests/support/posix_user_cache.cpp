// The native program and platform keep their memos in the user's cache folder: the tests give
// them a scratch one, so that a test run neither reads nor leaves anything in the real one.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <memory>

#include "support/scratch_folder.h"

namespace murel {
namespace {

class ScratchUserCache : public ::testing::Environment {
 public:
  void SetUp() override {
    folder_ = std::make_unique<ScratchFolder>("xdg");
    ASSERT_FALSE(folder_->path().empty());
    setenv("XDG_CACHE_HOME", folder_->path().c_str(), 1);
  }
  void TearDown() override { folder_.reset(); }

 private:
  std::unique_ptr<ScratchFolder> folder_;
};

[[maybe_unused]] ::testing::Environment* const kScratchUserCache =
    ::testing::AddGlobalTestEnvironment(new ScratchUserCache);

}  // namespace
}  // namespace murel

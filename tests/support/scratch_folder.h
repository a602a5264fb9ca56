// A folder of a test's own on the host, for the tests that run on real folders (POSIX).
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace murel {

/// A new empty folder "/tmp/murel-<tag>-XXXXXX" (its name's length depends on the tag alone),
/// removed with everything in it when the object goes. Its path is empty if it could not be made.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& tag) {
    std::string name = "/tmp/murel-" + tag + "-XXXXXX";
    if (::mkdtemp(name.data()) != nullptr) path_ = name;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace murel

#include "platform/file_system.h"

namespace murel {
namespace {

// Each look through the platform's QueryFile.
class QueryFileLooks : public FileLooks {
 public:
  explicit QueryFileLooks(FileSystem& files) : files_(files) {}
  std::optional<FileFacts> Query(const std::string& path) override {
    return files_.QueryFile(path);
  }

 private:
  FileSystem& files_;
};

}  // namespace

std::unique_ptr<FileLooks> FileSystem::LooksInTurn() {
  return std::make_unique<QueryFileLooks>(*this);
}

}  // namespace murel

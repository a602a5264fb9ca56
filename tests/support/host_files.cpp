#include "support/host_files.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace murel {

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::vector<std::string> TreeOf(const fs::path& root, const fs::path& skip) {
  std::vector<std::string> tree;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
       ++it) {
    if (!skip.empty() && it->path() == skip) {
      it.disable_recursion_pending();
      continue;
    }
    tree.push_back(fs::relative(it->path(), root).generic_string() +
                   (it->is_directory() ? "/" : ""));
  }
  std::sort(tree.begin(), tree.end());
  return tree;
}

}  // namespace murel

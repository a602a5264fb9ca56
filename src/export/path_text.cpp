#include "export/path_text.h"

namespace murel {

std::string PathFindExtensionA(std::string_view path) {
  // A "\" or a blank after a dot means that dot belongs to a directory name or to text that is
  // no extension; only the last of the three characters decides.
  const std::size_t last = path.find_last_of(".\\ ");
  if (last == std::string_view::npos || path[last] != '.') return std::string();
  return std::string(path.substr(last));
}

std::string PathRemoveFileSpecA(std::string_view path) {
  const std::size_t last = path.rfind('\\');
  if (last == std::string_view::npos) return std::string();
  return std::string(path.substr(0, last));
}

}  // namespace murel

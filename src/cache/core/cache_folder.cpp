#include "cache/core/cache_folder.h"

#include "base/windows_names.h"

namespace murel {

bool IsPlainName(std::string_view name) {
  if (IsOnlyDotsAndBlanks(name)) return false;
  for (const char c : name) {
    if (c == '\\' || c == '/' || c == ':' || static_cast<unsigned char>(c) < 0x20) return false;
  }
  return true;
}

bool CacheFolders::IsRealFolder(const std::string& path) {
  const auto known = known_.find(path);
  if (known != known_.end()) return known->second;
  const std::optional<FileFacts> facts = platform_.QueryFile(path);
  const bool real = facts && facts->kind == FileKind::kDirectory;
  known_.emplace(path, real);
  return real;
}

}  // namespace murel

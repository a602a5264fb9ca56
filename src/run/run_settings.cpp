#include "run/run_settings.h"

#include <optional>

#include "base/buffer_limits.h"
#include "run/rules_file.h"

namespace murel {
namespace {

// The absolute form of the root text, ending in "\"; empty when it is empty, cannot be
// resolved, or is too long to hold "urls.txt" after it.
std::optional<std::string> ResolveExportRoot(Platform& platform, const std::string& rootText) {
  if (rootText.empty()) return std::nullopt;
  std::optional<std::string> root = platform.FullPath(rootText, kFullPathLimit);
  if (!root || root->empty()) return std::nullopt;
  if (root->back() != '\\') *root += '\\';
  if (root->size() > kMaxExportRootLength) return std::nullopt;
  return root;
}

}  // namespace

Unresolved ResolveSettings(Platform& platform, RunSettings& settings) {
  settings.rulesFound = LoadRules(platform, settings.allRules);
  const std::optional<std::string> root = ResolveExportRoot(platform, settings.rootText);
  if (!root) return Unresolved::kExportRoot;
  settings.exportRoot = *root;
  if (!settings.warcText.empty()) {
    const std::optional<std::string> archive = platform.FullPath(settings.warcText, kFullPathLimit);
    if (!archive) return Unresolved::kArchive;
    settings.warcPath = *archive;
  }
  return Unresolved::kNothing;
}

}  // namespace murel

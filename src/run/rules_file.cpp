#include "run/rules_file.h"

#include <string>

#include "base/buffer_limits.h"
#include "text/config_files.h"
#include "text/messages.h"

namespace murel {
namespace {

constexpr const char* kRuleSection = "all";

// The folders where the configuration files are looked for, one a line, each after "- ".
ShownText FolderLines(Platform& platform) {
  ShownText lines;
  for (const std::string& folder : ConfigFoldersShown(platform)) {
    lines.Append((lines.Pieces().empty() ? "- " : "\n- ") + folder);
  }
  return lines;
}

}  // namespace

bool LoadRules(Platform& platform, RuleSet& rules) {
  const ConfigFile file = FindConfigFile(platform, kRulesFileName);
  LoadRuleSet(platform.ReadProfileSection(kRuleSection, file.path, kSectionBufferSize), rules);
  return file.found;
}

ShownText ConfigurationHelp(Platform& platform, Texts& texts) {
  ShownText help = texts.Shown(kHelpConfig).Append(":\n").Append(FolderLines(platform));
  const ConfigFile rules = FindConfigFile(platform, kRulesFileName);
  if (!rules.found) return help.Append("\n").Append(texts.Shown(kHelpNoRules));
  const std::string path = platform.FullPath(rules.path, kFullPathLimit).value_or(rules.path);
  // The path is a piece of its own: it is in the system's code page, not the built-in texts'.
  return help.Append("\n")
      .Append(texts.Shown(kHelpRulesUsed))
      .Append(": " + platform.DisplayPath(path));
}

void ReportMissingRules(Platform& platform, BoxReporter& reporter) {
  if (platform.UserConventions() != Conventions::kUnix) return;
  reporter.Error(kErrNoRules, "", FolderLines(platform));
}

}  // namespace murel

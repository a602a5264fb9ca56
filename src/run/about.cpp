#include "run/about.h"

#include "base/buffer_limits.h"
#include "run/build_reads.h"
#include "run/rules_file.h"
#include "text/messages.h"
#include "text/text_lookup.h"
#include "text/usage.h"

namespace murel {

std::string VersionLine() { return std::string("murel ") + MUREL_VERSION; }

std::string ReadsText() {
  const std::vector<ReadAbility> formats = CacheFormatsKnown();
  const std::vector<ReadAbility> codings = ContentCodingsKnown();
  std::string text = "Reads: " + JoinNames(formats) + "\nUndoes: " + JoinNames(codings);
  std::string missing = JoinNames(formats, false);
  const std::string missingCodings = JoinNames(codings, false);
  if (!missing.empty() && !missingCodings.empty()) missing += ", ";
  missing += missingCodings;
  if (!missing.empty()) text += "\nNot in this build: " + missing;
  return text;
}

void ShowVersion(Platform& platform) {
  platform.ShowMessage(ReadsText(), VersionLine(), BoxIcon::kNone);
}

void ShowExtendedHelp(Platform& platform, const TextOptions& settings) {
  Texts texts(platform, settings);
  ShownText text = UsageShownText(texts);
  text.Append("\n\n").Append(texts.Shown(kHelpMore)).Append("\n");
  text.Append(
      texts.Shown(kHelpReads, {JoinNames(CacheFormatsKnown()), JoinNames(ContentCodingsKnown())}));
  text.Append("\n\n").Append(ConfigurationHelp(platform, texts));
  text.Cut(kMaxShownText);
  platform.ShowMessage(text, texts.Shown(kUsageCaption), BoxIcon::kNone);
}

}  // namespace murel

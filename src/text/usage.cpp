#include "text/usage.h"

#include "text/messages.h"
#include "text/text_lookup.h"

namespace murel {

ShownText UsageShownText(Platform& platform, const TextOptions& settings) {
  // The spacing is part of the text: two blanks after "-l", "-e", "-h", "path" and "url", one
  // after "-nm".
  ShownText text("murel.exe [[-h] [-nm] [-e] [-l] [path [url]]]\n");
  text.Append(GetShownText(platform, settings, kUsageWhere));
  text.Append(":\n-l  - ").Append(GetShownText(platform, settings, kHelpList));
  text.Append(".\n-e  - ").Append(GetShownText(platform, settings, kHelpTolvar));
  text.Append(".\n-h  - ").Append(GetShownText(platform, settings, kHelpHelp));
  text.Append(".\n-nm - ").Append(GetShownText(platform, settings, kHelpQuiet));
  text.Append(".\npath  - ").Append(GetShownText(platform, settings, kHelpPath));
  text.Append(".\nurl  - ").Append(GetShownText(platform, settings, kHelpUrl));
  text.Append(".");
  // Eight long texts from the language file could pass the usage buffer; the end is dropped.
  text.Cut(kMaxShownText);
  return text;
}

std::string UsageText(Platform& platform, const TextOptions& settings) {
  return UsageShownText(platform, settings).Bytes();
}

void ShowUsage(Platform& platform, const TextOptions& settings) {
  platform.MessageBoxA(UsageShownText(platform, settings),
                       GetShownText(platform, settings, kUsageCaption), BoxIcon::kNone);
}

}  // namespace murel

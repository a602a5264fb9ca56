#include "text/usage.h"

#include "text/messages.h"

namespace murel {

ShownText UsageShownText(Texts& texts) {
  // The spacing is part of the text: two blanks after "-l", "-e", "-h", "path" and "url", one
  // after "-nm".
  ShownText text("murel.exe [[-h] [-nm] [-e] [-l] [path [url]]]\n");
  text.Append(texts.Shown(kUsageWhere));
  text.Append(":\n-l  - ").Append(texts.Shown(kHelpList));
  text.Append(".\n-e  - ").Append(texts.Shown(kHelpTolvar));
  text.Append(".\n-h  - ").Append(texts.Shown(kHelpHelp));
  text.Append(".\n-nm - ").Append(texts.Shown(kHelpQuiet));
  text.Append(".\npath  - ").Append(texts.Shown(kHelpPath));
  text.Append(".\nurl  - ").Append(texts.Shown(kHelpUrl));
  text.Append(".");
  // Eight long texts from the language file could pass the usage buffer; the end is dropped.
  text.Cut(kMaxShownText);
  return text;
}

std::string UsageText(Texts& texts) { return UsageShownText(texts).Bytes(); }

void ShowUsage(Platform& platform, const TextOptions& settings) {
  Texts texts(platform, settings);
  platform.ShowMessage(UsageShownText(texts), texts.Shown(kUsageCaption), BoxIcon::kNone);
}

}  // namespace murel

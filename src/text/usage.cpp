#include "text/usage.h"

#include "text/messages.h"
#include "text/text_lookup.h"

namespace murel {

std::string UsageText(Platform& platform, const TextOptions& settings) {
  // The spacing is part of the text: two blanks after "-l", "-e", "-h", "path" and "url", one
  // after "-nm".
  std::string text = "murel.exe [[-h] [-nm] [-e] [-l] [path [url]]]\n";
  text += GetText(platform, settings, kUsageWhere);
  text += ":\n-l  - ";
  text += GetText(platform, settings, kHelpList);
  text += ".\n-e  - ";
  text += GetText(platform, settings, kHelpTolvar);
  text += ".\n-h  - ";
  text += GetText(platform, settings, kHelpHelp);
  text += ".\n-nm - ";
  text += GetText(platform, settings, kHelpQuiet);
  text += ".\npath  - ";
  text += GetText(platform, settings, kHelpPath);
  text += ".\nurl  - ";
  text += GetText(platform, settings, kHelpUrl);
  text += ".";
  // Eight long texts from the language file could pass the usage buffer; the end is dropped.
  if (text.size() > kMaxShownText) {
    text.resize(kMaxShownText);
  }
  return text;
}

void ShowUsage(Platform& platform, const TextOptions& settings) {
  const std::string text = UsageText(platform, settings);
  platform.MessageBoxA(text, GetText(platform, settings, kUsageCaption), BoxIcon::kNone);
}

}  // namespace murel

#include "text/usage.h"

#include "text/messages.h"

namespace murel {

std::string UsageText(Texts& texts) {
  // The spacing is part of the text: two blanks after "-l", "-e", "-h", "path" and "url", one
  // after "-nm".
  std::string text = "murel.exe [[-h] [-nm] [-e] [-l] [path [url]]]\n";
  text += texts.Get(kUsageWhere);
  text += ":\n-l  - ";
  text += texts.Get(kHelpList);
  text += ".\n-e  - ";
  text += texts.Get(kHelpTolvar);
  text += ".\n-h  - ";
  text += texts.Get(kHelpHelp);
  text += ".\n-nm - ";
  text += texts.Get(kHelpQuiet);
  text += ".\npath  - ";
  text += texts.Get(kHelpPath);
  text += ".\nurl  - ";
  text += texts.Get(kHelpUrl);
  text += ".";
  // Eight long texts from the language file could pass the usage buffer; the end is dropped.
  if (text.size() > kMaxShownText) {
    text.resize(kMaxShownText);
  }
  return text;
}

void ShowUsage(Platform& platform, const TextOptions& settings) {
  Texts texts(platform, settings);
  const std::string text = UsageText(texts);
  platform.MessageBoxA(text, texts.Get(kUsageCaption), BoxIcon::kNone);
}

}  // namespace murel

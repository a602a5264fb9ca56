#include "text/text_lookup.h"

namespace murel {

std::string GetText(Platform& platform, const TextOptions& settings, const std::string& name,
                    const std::string& fallback) {
  // In a run without arguments the language file lies beside the program, not in the directory
  // the program was started from.
  if (!settings.programDir.empty()) {
    platform.SetCurrentDirectoryA(settings.programDir);
  }
  std::string text;
  for (int line = 1; line <= kMaxMessageLines; ++line) {
    const std::string value = platform.GetPrivateProfileStringA(
        kLanguageSection, name + std::to_string(line), kLanguageFile);
    if (value.empty()) {
      break;
    }
    const std::size_t separator = line > 1 ? 1 : 0;
    // Whole lines only: cutting inside a line could split a multi-byte character of a UTF-8
    // language file.
    if (text.size() + separator + value.size() > kMaxShownText) {
      break;
    }
    if (separator != 0) {
      text += '\n';
    }
    text += value;
  }
  return text.empty() ? fallback : text;
}

std::string GetText(Platform& platform, const TextOptions& settings, const Message& message) {
  return GetText(platform, settings, message.key, message.fallback);
}

ShownText GetShownText(Platform& platform, const TextOptions& settings, const Message& message) {
  // A text found in the language file is never empty, so an empty one means none was found.
  const std::string text = GetText(platform, settings, message.key, std::string());
  if (text.empty()) return ShownText().Append(message.fallback, CodePage::kBuiltIn);
  return ShownText(text);
}

}  // namespace murel

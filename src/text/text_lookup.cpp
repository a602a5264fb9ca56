#include "text/text_lookup.h"

#include <vector>

#include "text/config_files.h"

namespace murel {
namespace {

// The keys of every line that a message of the table may have: key + "1" to key + "29".
std::vector<std::string> LineKeys() {
  std::vector<std::string> keys;
  for (const Message* message : kAllMessages) {
    for (int line = 1; line <= kMaxMessageLines; ++line) {
      keys.push_back(message->key + std::to_string(line));
    }
  }
  return keys;
}

// The lines of one message (`lines` points at its first of kMaxMessageLines values) joined up to
// the first empty one; empty when the first is.
std::string JoinLines(const std::string* lines) {
  std::string text;
  for (int line = 0; line < kMaxMessageLines && !lines[line].empty(); ++line) {
    const std::string& value = lines[line];
    const std::size_t separator = line > 0 ? 1 : 0;
    // Whole lines only: cutting inside a line could split a multi-byte character of a UTF-8
    // language file.
    if (text.size() + separator + value.size() > kMaxShownText) break;
    if (separator != 0) text += '\n';
    text += value;
  }
  return text;
}

// `text` with each "%1" to "%9" that names one of `values` replaced by it. The values are not
// looked at again, so what they hold is never taken for a mark.
std::string FillIn(const std::string& text, const std::vector<std::string>& values) {
  std::string filled;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool mark = text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' &&
                      text[i + 1] <= '9' &&
                      static_cast<std::size_t>(text[i + 1] - '1') < values.size();
    if (!mark) {
      filled += text[i];
      continue;
    }
    filled += values[static_cast<std::size_t>(text[++i] - '1')];
  }
  return filled;
}

}  // namespace

std::string Texts::Get(const Message& message) { return Shown(message).Bytes(); }

ShownText Texts::Shown(const Message& message, const std::vector<std::string>& values) {
  if (!loaded_) Load();
  const auto found = fromFile_.find(message.key);
  if (found != fromFile_.end()) return ShownText(FillIn(found->second, values));
  return ShownText().Append(FillIn(BuiltIn(message), values), CodePage::kBuiltIn);
}

void Texts::Load() {
  loaded_ = true;
  // In a run without arguments the language file lies beside the program, not in the directory
  // the program was started from.
  if (!options_.programDir.empty()) platform_.ChangeCurrentFolder(options_.programDir);
  // One pass over the file for every line of every message: a large language file costs its
  // reading once per run, not once per message.
  const std::vector<std::string> keys = LineKeys();
  std::vector<std::string> values = platform_.ReadProfileStrings(
      kLanguageSection, keys, FindConfigFile(platform_, kLanguageFileName).path);
  values.resize(keys.size());
  std::size_t first = 0;
  for (const Message* message : kAllMessages) {
    std::string text = JoinLines(&values[first]);
    if (!text.empty()) fromFile_.emplace(message->key, std::move(text));
    first += kMaxMessageLines;
  }
}

const char* Texts::BuiltIn(const Message& message) {
  if (!english_) {
    const std::string language = platform_.UserLanguage();
    english_ = !language.empty() && language != "ru";
  }
  return *english_ ? message.english : message.fallback;
}

}  // namespace murel

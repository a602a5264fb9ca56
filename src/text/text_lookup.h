// Looking up the texts that the program shows, in the language file or among the built-in ones.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/buffer_limits.h"
#include "platform/platform.h"
#include "text/messages.h"
#include "text/text_options.h"

namespace murel {

/// The section of the language file that holds the texts.
inline constexpr const char* kLanguageSection = "strings";

/// The texts of one run. The language file is read once, when the first text is asked for, and
/// only the lines of the messages of the table (kAllMessages) are kept.
class Texts {
 public:
  Texts(Platform& platform, TextOptions options)
      : platform_(platform), options_(std::move(options)) {}

  /// The text of `message`. At the first text asked for, `options.programDir`, when known,
  /// becomes the current directory (and stays so), and "murel.lng" is read where FindConfigFile
  /// finds it (the current directory first). The lines
  /// key + "1", key + "2", ... of its section "strings" are taken up to the first missing or
  /// empty one (at most 29, each as the profile key reader gives it: cut to 499 characters) and
  /// joined by "\n"; a line that would take the text past kMaxShownText characters ends it. When
  /// no line is found (or the message is not in the table), the result is the built-in text:
  /// English when the platform names a user language other than Russian, else Russian.
  std::string Get(const Message& message);

  /// The text of `message` as Get gives it, marked with its code page: the system's for a text
  /// from the language file, Windows-1251 for a built-in one. Each "%1" to "%9" in it stands for
  /// that one of `values`, when there is one.
  ShownText Shown(const Message& message, const std::vector<std::string>& values = {});

 private:
  void Load();
  const char* BuiltIn(const Message& message);

  Platform& platform_;
  TextOptions options_;
  bool loaded_ = false;
  std::map<std::string, std::string> fromFile_;  ///< Texts the file gives, by message key.
  std::optional<bool> english_;                  ///< Which built-in texts, once asked.
};

}  // namespace murel

// The locale's language, following the precedence that gettext and the C library give the
// variables for messages: LC_ALL over LC_MESSAGES over LANG.

#include "platform/posix/user_language.h"

namespace murel {
namespace {

bool IsSet(const char* value) { return value != nullptr && value[0] != '\0'; }

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string LocaleLanguage(const char* lcAll, const char* lcMessages, const char* lang) {
  const char* value = IsSet(lcAll) ? lcAll : IsSet(lcMessages) ? lcMessages : lang;
  if (!IsSet(value)) return std::string();
  const std::string locale(value);
  std::string language = locale.substr(0, locale.find_first_of("_.@"));
  // "C.UTF-8" is the C locale with UTF-8 characters: it names no language either.
  if (language == "C" || language == "POSIX") return std::string();
  for (char& c : language) c = Lower(c);
  return language;
}

}  // namespace murel

#include "text/usage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "support/fake_platform.h"
#include "text/messages.h"
#include "text/text_lookup.h"

namespace murel {
namespace {

// Windows-1251 bytes of a UTF-8 text that holds ASCII and the Russian alphabet only, so that the
// expected texts below can be written readably and checked against the built-in bytes.
std::string Cp1251(const std::string& utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto byte = static_cast<unsigned char>(utf8[i]);
    if (byte < 0x80) {
      out += utf8[i];
      continue;
    }
    const unsigned code = ((byte & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3Fu);
    if (code == 0x401) {
      out += '\xA8';  // Ё
    } else if (code == 0x451) {
      out += '\xB8';  // ё
    } else {
      out += static_cast<char>(code - 0x410 + 0xC0);  // А..я
    }
  }
  return out;
}

std::string SampleLanguageFile() {
  std::ifstream in(MUREL_SOURCE_DIR "/samples/murel.lng", std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

struct UsageCase {
  const char* name;
  std::string languageFile;  // empty: none
  std::string caption;
  std::string text;
};

void PrintTo(const UsageCase& c, std::ostream* os) { *os << c.name; }

class UsageTest : public testing::TestWithParam<UsageCase> {};

TEST_P(UsageTest, ShowsTextByteForByte) {
  const UsageCase& c = GetParam();
  FakePlatform platform;
  if (!c.languageFile.empty()) platform.AddFile("C:\\work\\murel.lng", c.languageFile);
  ShowUsage(platform, TextOptions());
  ASSERT_EQ(platform.boxes.size(), 1u);
  EXPECT_EQ(platform.boxes[0].caption, c.caption);
  EXPECT_EQ(platform.boxes[0].text, c.text);
  EXPECT_EQ(platform.boxes[0].icon, BoxIcon::kNone);
}

INSTANTIATE_TEST_SUITE_P(
    Languages, UsageTest,
    testing::Values(
        UsageCase{"BuiltIn", "", Cp1251("Использование"),
                  Cp1251("murel.exe [[-h] [-nm] [-e] [-l] [path [url]]]\n"
                         "Где:\n"
                         "-l  - Создавать только список страниц.\n"
                         "-e  - Экспортировать страницы в формате пригодном для tolvar'а.\n"
                         "-h  - Показать справочную информацию по использованию программы.\n"
                         "-nm - Не показывать сообщения об ошибках.\n"
                         "path  - Путь куда следует экспортировать файлы.\n"
                         "url  - Начало гипер ссылок которые нужно экспортировать или * "
                         "(по умолчанию).")},
        UsageCase{"Sample", SampleLanguageFile(), "Usage",
                  "murel.exe [[-h] [-nm] [-e] [-l] [path [url]]]\n"
                  "Where:\n"
                  "-l  - Only create the list of pages.\n"
                  "-e  - Export pages in the format suited to tolvar.\n"
                  "-h  - Show help on using the program.\n"
                  "-nm - Do not show error messages.\n"
                  "path  - Path to export the files to.\n"
                  "url  - Beginning of the links to export, or * (the default)."},
        UsageCase{"PartialAndMultiLine",
                  "[strings]\nusage1=Aide\nhelp-l1=one\nhelp-l2=two\nhelp-e2=lost\n", "Aide",
                  Cp1251("murel.exe [[-h] [-nm] [-e] [-l] [path [url]]]\n"
                         "Где:\n"
                         "-l  - one\ntwo.\n"
                         "-e  - Экспортировать страницы в формате пригодном для tolvar'а.\n"
                         "-h  - Показать справочную информацию по использованию программы.\n"
                         "-nm - Не показывать сообщения об ошибках.\n"
                         "path  - Путь куда следует экспортировать файлы.\n"
                         "url  - Начало гипер ссылок которые нужно экспортировать или * "
                         "(по умолчанию).")}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(Usage, CutToItsBuffer) {
  FakePlatform platform;
  std::string file = "[strings]\n";
  for (const char* key : {"help-l", "help-e", "help-h", "help-nm"}) {
    for (int line = 1; line <= 29; ++line) {
      file += key + std::to_string(line) + "=" + std::string(400, 'x') + "\n";
    }
  }
  platform.AddFile("C:\\work\\murel.lng", file);
  Texts texts(platform, TextOptions());
  EXPECT_EQ(UsageText(texts).size(), kMaxShownText);
}

TEST(Usage, ReadFromProgramDirectoryInRunWithoutArguments) {
  FakePlatform platform;
  platform.AddFile("C:\\prog\\murel.lng", "[strings]\nusage1=Beside\n");
  TextOptions settings;
  settings.programDir = "C:\\prog";
  ShowUsage(platform, settings);
  ASSERT_EQ(platform.boxes.size(), 1u);
  EXPECT_EQ(platform.boxes[0].caption, "Beside");
}

// Every message has its built-in Russian text, and the sample language file an English one.
struct MessageCase {
  Message message;
  std::string russian;
};

TEST(MessageTable, BuiltInTextsAndSampleTranslations) {
  const MessageCase cases[] = {
      {kUsageCaption, "Использование"},
      {kUsageWhere, "Где"},
      {kHelpList, "Создавать только список страниц"},
      {kHelpTolvar, "Экспортировать страницы в формате пригодном для tolvar'а"},
      {kHelpHelp, "Показать справочную информацию по использованию программы"},
      {kHelpQuiet, "Не показывать сообщения об ошибках"},
      {kHelpPath, "Путь куда следует экспортировать файлы"},
      {kHelpUrl, "Начало гипер ссылок которые нужно экспортировать или * (по умолчанию)"},
      {kErrorCaption, "Ошибка"},
      {kErrOpenCache,
       "Ошибка при открытии кэша internet explorer'а\nВозможно у вас старая версия internet "
       "explorer'а или кэш поврежден"},
      {kErrCopyCaption, "Ошибка копирования"},
      {kErrUnknownOption, "Неизвестный параметр"},
      {kErrNoCachePath, "После параметра -c должен быть указан путь к кэшу"},
      {kErrLongCommandLine, "Командная строка длиннее 1999 символов"},
      {kErrLongPath, "Путь длиннее 299 символов"},
  };
  const std::string sample = SampleLanguageFile();
  ASSERT_FALSE(sample.empty()) << "samples/murel.lng cannot be read";
  FakePlatform platform;
  platform.AddFile("C:\\work\\murel.lng", sample);
  for (const MessageCase& c : cases) {
    EXPECT_EQ(c.message.fallback, Cp1251(c.russian)) << c.message.key;
    const std::string english = Texts(platform, TextOptions()).Get(c.message);
    EXPECT_NE(english, c.message.fallback) << c.message.key << " missing in the sample";
    EXPECT_TRUE(std::all_of(english.begin(), english.end(),
                            [](char ch) { return static_cast<unsigned char>(ch) < 0x80; }))
        << c.message.key << " is not plain ASCII in the sample";
  }
}

// The English built-in texts are the sample language file's: every message of the table reads the
// same from the file as from the built-ins, and the file has no line of another message.
TEST(MessageTable, EnglishBuiltInsAreTheSampleFile) {
  FakePlatform platform;
  platform.userLanguage = "en";
  Texts builtIn(platform, TextOptions());
  platform.AddFile("C:\\work\\murel.lng", SampleLanguageFile());
  platform.userLanguage.clear();
  Texts sample(platform, TextOptions());
  std::vector<std::string> keys;
  for (const Message* message : kAllMessages) {
    EXPECT_EQ(builtIn.Get(*message), message->english) << message->key;
    EXPECT_EQ(sample.Get(*message), message->english) << message->key;
    keys.push_back(message->key);
  }
  for (const std::string& entry : platform.ReadProfileSection("strings", ".\\murel.lng", 100000)) {
    const std::string key = entry.substr(0, entry.find_first_of("0123456789"));
    EXPECT_NE(std::find(keys.begin(), keys.end(), key), keys.end()) << entry;
  }
}

}  // namespace
}  // namespace murel

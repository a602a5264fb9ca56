#include "run/about.h"

#include "buffer_limits.h"
#include "run/rules_file.h"
#include "text/messages.h"
#include "text/text_lookup.h"
#include "text/usage.h"
#include "urlcache/chromium_sql_reader.h"

namespace murel {

std::string VersionLine() { return std::string("murel ") + MUREL_VERSION; }

std::string FormatsLine() {
  // The Windows build has no SQLite, so it does not claim the SQL cache.
  return std::string("Reads WinINet index.dat; Chromium's simple, blockfile") +
         (CanReadChromiumSql() ? " and SQL" : "") + " caches; Firefox's cache2";
}

void ShowVersion(Platform& platform) {
  platform.MessageBoxA(FormatsLine(), VersionLine(), BoxIcon::kNone);
}

void ShowExtendedHelp(Platform& platform, const TextOptions& settings) {
  Texts texts(platform, settings);
  ShownText text = UsageShownText(texts);
  text.Append("\n\n").Append(texts.Shown(kHelpMore));
  text.Append("\n\n").Append(ConfigurationHelp(platform, texts));
  text.Cut(kMaxShownText);
  platform.MessageBoxA(text, texts.Shown(kUsageCaption), BoxIcon::kNone);
}

}  // namespace murel

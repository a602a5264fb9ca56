// Where the steps of an export report what went wrong.
#pragma once

#include <string>

#include "platform/platform.h"
#include "text/messages.h"
#include "text/text_lookup.h"
#include "text/text_options.h"

namespace murel {

/// What the export steps report. The steps decide what happened; the reporter decides whether
/// and how it is shown.
class Reporter {
 public:
  virtual ~Reporter() = default;
  /// The content of an entry did not reach its target; `source` is the path of the cache file
  /// (or local file) that could not be exported.
  virtual void CopyFailed(const std::string& source) = 0;
  /// The body stored in `source` is compressed with a coding this build has no decoder for.
  virtual void NotDecodable(const std::string& source) = 0;
};

/// Reports in message boxes with the run's texts (language file or built-in, read once), or not
/// at all when the options say quiet.
class BoxReporter : public Reporter {
 public:
  BoxReporter(Platform& platform, const TextOptions& options)
      : platform_(platform), options_(options), texts_(platform, options) {}

  /// A warning box captioned with the message "err_copy" whose text is `source` as the platform
  /// shows paths.
  void CopyFailed(const std::string& source) override;

  /// A warning box captioned with the message "err_copy" whose text is the message
  /// "err_notinbuild" and, on the next line, `source` as the platform shows paths.
  void NotDecodable(const std::string& source) override;

  /// An error box captioned "err" with the text of `message`, followed on a new line by `path`
  /// as the platform shows paths when `path` is not empty, and on the next by `more` when that
  /// is not empty. Each part is shown in its own code page (see ShownText).
  void Error(const Message& message, const std::string& path = std::string(),
             const ShownText& more = ShownText());

  /// The text of `message` among the texts the boxes show, with `values` filled in (see
  /// Texts::Shown).
  ShownText Text(const Message& message, const std::vector<std::string>& values = {}) {
    return texts_.Shown(message, values);
  }

 private:
  Platform& platform_;
  const TextOptions& options_;
  Texts texts_;
};

}  // namespace murel

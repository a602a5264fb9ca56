// What an export reports as it goes, and the boxes that show what went wrong.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "text/messages.h"
#include "text/text_lookup.h"
#include "text/text_options.h"

namespace murel {

/// Why an entry's content did not reach its target.
enum class CopyFault {
  kUnsafeSource,    ///< The reader found the content's place unsafe to read.
  kOutsideRoot,     ///< The target would lie outside the export root.
  kNotRegular,      ///< The local file is a link, a pipe, a folder: no regular file.
  kCannotRead,      ///< The cache file cannot be opened; `detail` is the system's reason.
  kShortSource,     ///< The cache file ends, or its reading fails, before the body's end.
  kCannotWrite,     ///< The target cannot be written; `detail` is the system's reason.
  kTargetIsFolder,  ///< A folder stands where the content was to go.
  kNotInBuild,      ///< A coding this build has no decoder for; `detail` names the codings.
  kNotDecodable,    ///< The stored bytes are no valid stream of their codings, named in `detail`.
  kTooManyCodings,  ///< More codings than murel undoes; `detail` names the codings.
  kTooLarge,        ///< The decoded body passes its bound; `detail` is the bound in bytes.
  kNotArchived,     ///< The entry cannot be put into the "--warc" archive.
};

/// Why a copy failed: the fault and what the reason's text names.
struct CopyReason {
  CopyFault fault = CopyFault::kCannotWrite;
  std::string detail;
};

/// An entry whose content did not reach its target.
struct FailedCopy {
  std::string source;  ///< The cache file (or local file) that holds the content.
  std::string url;     ///< The entry's URL.
  std::string target;  ///< Where the content was to go.
  CopyReason reason;
};

/// What happened to the entries of one export, for the progress and the summary of the run.
struct ExportCounts {
  std::uint64_t seen = 0;         ///< Entries delivered by the reader.
  std::uint64_t exported = 0;     ///< Written to their targets (with "-l": listed).
  std::uint64_t unchanged = 0;    ///< Their target was as new as the cache's copy.
  std::uint64_t notSelected = 0;  ///< Left out by the URL filter or the tolvar format.
  std::uint64_t withoutBody = 0;  ///< The cache holds no content for them.
  std::uint64_t failed = 0;       ///< Reported as failed copies.
};

/// What an export reports, in the order of its entries, all on the export's thread. The export
/// decides what happened; a reporter decides whether and how it is shown (the boxes, the
/// progress line, the summary). What a reporter has no use for it leaves to these defaults, which
/// do nothing.
class Reporter {
 public:
  virtual ~Reporter() = default;
  /// The export begins over a cache of `total` entries, when the reader knows it.
  virtual void Begun(std::optional<std::uint64_t> total) { (void)total; }
  /// The content of an entry did not reach its target.
  virtual void CopyFailed(const FailedCopy& failure) { (void)failure; }
  /// More entries are settled; `counts` are those of every entry settled so far, the entries
  /// that the reader left out for want of a body counted as seen and without a body.
  virtual void Settled(const ExportCounts& counts) { (void)counts; }
  /// Every entry is settled; `counts` are the export's last ones, counted as for Settled.
  virtual void Ended(const ExportCounts& counts) { (void)counts; }
};

/// Passes every report on to each of a few reporters, in the order given.
class Reporters : public Reporter {
 public:
  /// Reports go to each of `reporters`, which outlive this one.
  Reporters(std::initializer_list<Reporter*> reporters) : reporters_(reporters) {}

  void Begun(std::optional<std::uint64_t> total) override;
  void CopyFailed(const FailedCopy& failure) override;
  void Settled(const ExportCounts& counts) override;
  void Ended(const ExportCounts& counts) override;

 private:
  std::vector<Reporter*> reporters_;
};

/// Reports in message boxes with the run's texts (language file or built-in, read once), or not
/// at all when the options say quiet.
class BoxReporter : public Reporter {
 public:
  BoxReporter(Platform& platform, const TextOptions& options)
      : platform_(platform), options_(options), texts_(platform, options) {}

  /// A warning box captioned with the message "err_copy". Its text is the source as the platform
  /// shows paths; where the platform follows Unix conventions, then the URL, "->" and the target
  /// on the next line, and the reason on the one after (see ReasonText). Otherwise a body in a
  /// coding this build cannot undo has the message "err_notinbuild" before the source.
  void CopyFailed(const FailedCopy& failure) override;

  /// The reason of a failed copy in the run's language, with its detail filled in.
  ShownText ReasonText(const CopyReason& reason);

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

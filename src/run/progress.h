// The progress line and the closing summary of a run on a terminal.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "export/export_state.h"
#include "export/reporter.h"
#include "platform/platform.h"

namespace murel {

/// The summary of a run in one line, in the run's language: the entries seen, exported,
/// unchanged, not selected, without a body and failed, then "->" and `exportFolder`.
/// `passedOver` entries, which the reader left out for want of a body, count as seen and without
/// a body.
ShownText SummaryLine(BoxReporter& texts, const ExportCounts& counts, std::uint64_t passedOver,
                      const std::string& exportFolder);

/// Shows how a run goes on the platform's status line, when it has one and the run is not quiet;
/// otherwise does nothing, so that what a script sees stays as it was.
class Progress {
 public:
  /// The progress of a reading of `total` entries, when that is known, in the language of
  /// `texts`.
  Progress(Platform& platform, BoxReporter& texts, bool quiet, std::optional<std::uint64_t> total);

  /// Redraws the progress line (entries done, of the total when known, and files written)
  /// unless it was drawn less than kRedrawMilliseconds ago.
  void Update(const ExportCounts& counts, std::uint64_t passedOver);

  /// Ends the line with SummaryLine.
  void Finish(const ExportCounts& counts, std::uint64_t passedOver,
              const std::string& exportFolder);

  /// The least time between two redraws: about ten a second.
  static constexpr std::uint64_t kRedrawMilliseconds = 100;

 private:
  Platform& platform_;
  BoxReporter& texts_;
  std::unique_ptr<StatusLine> line_;
  std::optional<std::uint64_t> total_;
  std::uint64_t drawnAt_ = 0;
  bool drawn_ = false;
};

}  // namespace murel

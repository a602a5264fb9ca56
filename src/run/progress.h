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

/// Shows how an export goes on the platform's status line, and its summary at the end, when the
/// platform has one and the run is not quiet; otherwise does nothing, so that what a script sees
/// stays as it was.
class Progress : public Reporter {
 public:
  /// The progress of an export into `exportFolder` (as shown), in the language of `texts`.
  Progress(Platform& platform, BoxReporter& texts, bool quiet, std::string exportFolder);

  /// Takes the total, when known, for the progress line.
  void Begun(std::optional<std::uint64_t> total) override { total_ = total; }

  /// Redraws the progress line (entries done, of the total when known, and files written)
  /// unless it was drawn less than kRedrawMilliseconds ago.
  void Settled(const ExportCounts& counts) override;

  /// Ends the line with SummaryLine.
  void Ended(const ExportCounts& counts) override;

  /// The least time between two redraws: about ten a second.
  static constexpr std::uint64_t kRedrawMilliseconds = 100;

 private:
  Platform& platform_;
  BoxReporter& texts_;
  std::unique_ptr<StatusLine> line_;
  std::string exportFolder_;
  std::optional<std::uint64_t> total_;
  std::uint64_t drawnAt_ = 0;
  bool drawn_ = false;
};

}  // namespace murel

#include "run/progress.h"

#include <utility>

namespace murel {
namespace {

// The summary of a run in one line, in the run's language: the entries seen, exported,
// unchanged, not selected, without a body and failed, then "->" and `exportFolder`.
ShownText SummaryLine(BoxReporter& texts, const ExportCounts& counts,
                      const std::string& exportFolder) {
  using std::to_string;
  return ShownText("murel: ")
      .Append(texts.Text(kSummary, {to_string(counts.seen), to_string(counts.exported),
                                    to_string(counts.unchanged), to_string(counts.notSelected),
                                    to_string(counts.withoutBody), to_string(counts.failed)}))
      .Append(" -> " + exportFolder);
}

}  // namespace

Progress::Progress(Platform& platform, BoxReporter& texts, bool quiet, std::string exportFolder)
    : platform_(platform), texts_(texts), exportFolder_(std::move(exportFolder)) {
  if (!quiet) line_ = platform.OpenStatusLine();
}

void Progress::Settled(const ExportCounts& counts) {
  if (!line_) return;
  const std::uint64_t now = platform_.SteadyMilliseconds();
  if (drawn_ && now - drawnAt_ < kRedrawMilliseconds) return;
  drawn_ = true;
  drawnAt_ = now;
  const std::string done = std::to_string(counts.seen);
  const std::string written = std::to_string(counts.exported);
  line_->Redraw(ShownText("murel: ").Append(
      total_ ? texts_.Text(kProgressOfTotal, {done, std::to_string(*total_), written})
             : texts_.Text(kProgress, {done, written})));
}

void Progress::Ended(const ExportCounts& counts) {
  if (line_) line_->Finish(SummaryLine(texts_, counts, exportFolder_));
}

}  // namespace murel

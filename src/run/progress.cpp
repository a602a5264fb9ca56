#include "run/progress.h"

namespace murel {

std::string SummaryLine(const ExportCounts& counts, std::uint64_t passedOver,
                        const std::string& exportFolder) {
  using std::to_string;
  return "murel: " + to_string(counts.seen + passedOver) + " entries seen, " +
         to_string(counts.exported) + " exported, " + to_string(counts.unchanged) + " unchanged, " +
         to_string(counts.notSelected) + " not selected, " +
         to_string(counts.withoutBody + passedOver) + " without a body, " +
         to_string(counts.failed) + " failed -> " + exportFolder;
}

Progress::Progress(Platform& platform, bool quiet, std::optional<std::uint64_t> total)
    : platform_(platform), ofTotal_(total ? " of " + std::to_string(*total) : "") {
  if (!quiet) line_ = platform.OpenStatusLine();
}

void Progress::Update(const ExportCounts& counts, std::uint64_t passedOver) {
  if (!line_) return;
  const std::uint64_t now = platform_.SteadyMilliseconds();
  if (drawn_ && now - drawnAt_ < kRedrawMilliseconds) return;
  drawn_ = true;
  drawnAt_ = now;
  line_->Redraw("murel: " + std::to_string(counts.seen + passedOver) + ofTotal_ + " entries, " +
                std::to_string(counts.exported) + " files written");
}

void Progress::Finish(const ExportCounts& counts, std::uint64_t passedOver,
                      const std::string& exportFolder) {
  if (line_) line_->Finish(SummaryLine(counts, passedOver, exportFolder));
}

}  // namespace murel

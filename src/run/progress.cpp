#include "run/progress.h"

namespace murel {

ShownText SummaryLine(BoxReporter& texts, const ExportCounts& counts, std::uint64_t passedOver,
                      const std::string& exportFolder) {
  using std::to_string;
  return ShownText("murel: ")
      .Append(texts.Text(kSummary,
                         {to_string(counts.seen + passedOver), to_string(counts.exported),
                          to_string(counts.unchanged), to_string(counts.notSelected),
                          to_string(counts.withoutBody + passedOver), to_string(counts.failed)}))
      .Append(" -> " + exportFolder);
}

Progress::Progress(Platform& platform, BoxReporter& texts, bool quiet,
                   std::optional<std::uint64_t> total)
    : platform_(platform), texts_(texts), total_(total) {
  if (!quiet) line_ = platform.OpenStatusLine();
}

void Progress::Update(const ExportCounts& counts, std::uint64_t passedOver) {
  if (!line_) return;
  const std::uint64_t now = platform_.SteadyMilliseconds();
  if (drawn_ && now - drawnAt_ < kRedrawMilliseconds) return;
  drawn_ = true;
  drawnAt_ = now;
  const std::string done = std::to_string(counts.seen + passedOver);
  const std::string written = std::to_string(counts.exported);
  line_->Redraw(ShownText("murel: ").Append(
      total_ ? texts_.Text(kProgressOfTotal, {done, std::to_string(*total_), written})
             : texts_.Text(kProgress, {done, written})));
}

void Progress::Finish(const ExportCounts& counts, std::uint64_t passedOver,
                      const std::string& exportFolder) {
  if (line_) line_->Finish(SummaryLine(texts_, counts, passedOver, exportFolder));
}

}  // namespace murel

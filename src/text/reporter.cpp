#include "text/reporter.h"

namespace murel {

void BoxReporter::CopyFailed(const std::string& source) {
  if (options_.quiet) return;
  platform_.MessageBoxA(platform_.DisplayPath(source), texts_.Shown(kErrCopyCaption),
                        BoxIcon::kWarning);
}

void BoxReporter::NotDecodable(const std::string& source) {
  if (options_.quiet) return;
  platform_.MessageBoxA(texts_.Shown(kErrNotInBuild).Append("\n" + platform_.DisplayPath(source)),
                        texts_.Shown(kErrCopyCaption), BoxIcon::kWarning);
}

void BoxReporter::Error(const Message& message, const std::string& path, const ShownText& more) {
  if (options_.quiet) return;
  ShownText text = texts_.Shown(message);
  if (!path.empty()) text.Append("\n" + platform_.DisplayPath(path));
  if (!more.Pieces().empty()) text.Append("\n").Append(more);
  platform_.MessageBoxA(text, texts_.Shown(kErrorCaption), BoxIcon::kError);
}

}  // namespace murel

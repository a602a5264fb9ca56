#include "text/reporter.h"

#include "text/text_lookup.h"

namespace murel {

void BoxReporter::CopyFailed(const std::string& source) {
  if (options_.quiet) return;
  platform_.MessageBoxA(platform_.DisplayPath(source),
                        GetShownText(platform_, options_, kErrCopyCaption), BoxIcon::kWarning);
}

void BoxReporter::NotDecodable(const std::string& source) {
  if (options_.quiet) return;
  platform_.MessageBoxA(GetShownText(platform_, options_, kErrNotInBuild)
                            .Append("\n" + platform_.DisplayPath(source)),
                        GetShownText(platform_, options_, kErrCopyCaption), BoxIcon::kWarning);
}

void BoxReporter::Error(const Message& message, const std::string& path, const ShownText& more) {
  if (options_.quiet) return;
  ShownText text = GetShownText(platform_, options_, message);
  if (!path.empty()) text.Append("\n" + platform_.DisplayPath(path));
  if (!more.Pieces().empty()) text.Append("\n").Append(more);
  platform_.MessageBoxA(text, GetShownText(platform_, options_, kErrorCaption), BoxIcon::kError);
}

}  // namespace murel

#include "text/reporter.h"

#include "text/text_lookup.h"

namespace murel {

void BoxReporter::CopyFailed(const std::string& source) {
  if (options_.quiet) return;
  platform_.MessageBoxA(platform_.DisplayPath(source),
                        GetText(platform_, options_, kErrCopyCaption), BoxIcon::kWarning);
}

void BoxReporter::NotDecodable(const std::string& source) {
  if (options_.quiet) return;
  platform_.MessageBoxA(
      GetText(platform_, options_, kErrNotInBuild) + "\n" + platform_.DisplayPath(source),
      GetText(platform_, options_, kErrCopyCaption), BoxIcon::kWarning);
}

void BoxReporter::Error(const Message& message, const std::string& path, const std::string& more) {
  if (options_.quiet) return;
  std::string text = GetText(platform_, options_, message);
  if (!path.empty()) text += "\n" + platform_.DisplayPath(path);
  if (!more.empty()) text += "\n" + more;
  platform_.MessageBoxA(text, GetText(platform_, options_, kErrorCaption), BoxIcon::kError);
}

}  // namespace murel

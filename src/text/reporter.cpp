#include "text/reporter.h"

#include "text/text_lookup.h"

namespace murel {

void BoxReporter::CopyFailed(const std::string& source) {
  if (options_.quiet) return;
  platform_.MessageBoxA(platform_.DisplayPath(source),
                        GetText(platform_, options_, kErrCopyCaption), BoxIcon::kWarning);
}

void BoxReporter::Error(const Message& message, const std::string& path) {
  if (options_.quiet) return;
  std::string text = GetText(platform_, options_, message);
  if (!path.empty()) text += "\n" + platform_.DisplayPath(path);
  platform_.MessageBoxA(text, GetText(platform_, options_, kErrorCaption), BoxIcon::kError);
}

}  // namespace murel

#include "text/reporter.h"

namespace murel {

void BoxReporter::CopyFailed(const std::string& source) {
  if (options_.quiet) return;
  platform_.MessageBoxA(platform_.DisplayPath(source), texts_.Get(kErrCopyCaption),
                        BoxIcon::kWarning);
}

void BoxReporter::NotDecodable(const std::string& source) {
  if (options_.quiet) return;
  platform_.MessageBoxA(texts_.Get(kErrNotInBuild) + "\n" + platform_.DisplayPath(source),
                        texts_.Get(kErrCopyCaption), BoxIcon::kWarning);
}

void BoxReporter::Error(const Message& message, const std::string& path, const std::string& more) {
  if (options_.quiet) return;
  std::string text = texts_.Get(message);
  if (!path.empty()) text += "\n" + platform_.DisplayPath(path);
  if (!more.empty()) text += "\n" + more;
  platform_.MessageBoxA(text, texts_.Get(kErrorCaption), BoxIcon::kError);
}

}  // namespace murel

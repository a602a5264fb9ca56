#include "export/reporter.h"

namespace murel {

namespace {

const Message& ReasonMessage(CopyFault fault) {
  switch (fault) {
    case CopyFault::kUnsafeSource:
      return kWhyUnsafe;
    case CopyFault::kOutsideRoot:
      return kWhyOutsideRoot;
    case CopyFault::kNotRegular:
      return kWhyNotRegular;
    case CopyFault::kCannotRead:
      return kWhyCannotRead;
    case CopyFault::kShortSource:
      return kWhyShortSource;
    case CopyFault::kCannotWrite:
      return kWhyCannotWrite;
    case CopyFault::kTargetIsFolder:
      return kWhyTargetFolder;
    case CopyFault::kNotInBuild:
      return kErrNotInBuild;
    case CopyFault::kNotDecodable:
      return kWhyNotDecodable;
    case CopyFault::kTooManyCodings:
      return kWhyTooManyCodings;
    case CopyFault::kTooLarge:
      return kWhyTooLarge;
    case CopyFault::kNotArchived:
      return kWhyNotArchived;
  }
  return kWhyCannotWrite;
}

}  // namespace

ShownText BoxReporter::ReasonText(const CopyReason& reason) {
  return texts_.Shown(ReasonMessage(reason.fault), {reason.detail});
}

void BoxReporter::CopyFailed(const FailedCopy& failure) {
  if (options_.quiet) return;
  ShownText text(platform_.DisplayPath(failure.source));
  if (platform_.UserConventions() == Conventions::kUnix) {
    // A terminal user needs what the box leaves out: which URL, where to, and why.
    text.Append("\n" + failure.url + " -> " + platform_.DisplayPath(failure.target) + "\n")
        .Append(ReasonText(failure.reason));
  } else if (failure.reason.fault == CopyFault::kNotInBuild) {
    text = texts_.Shown(kErrNotInBuild).Append("\n").Append(text);
  }
  platform_.ShowMessage(text, texts_.Shown(kErrCopyCaption), BoxIcon::kWarning);
}

void BoxReporter::Error(const Message& message, const std::string& path, const ShownText& more) {
  if (options_.quiet) return;
  ShownText text = texts_.Shown(message);
  if (!path.empty()) text.Append("\n" + platform_.DisplayPath(path));
  if (!more.Pieces().empty()) text.Append("\n").Append(more);
  platform_.ShowMessage(text, texts_.Shown(kErrorCaption), BoxIcon::kError);
}

void Reporters::Begun(std::optional<std::uint64_t> total) {
  for (Reporter* reporter : reporters_) reporter->Begun(total);
}

void Reporters::CopyFailed(const FailedCopy& failure) {
  for (Reporter* reporter : reporters_) reporter->CopyFailed(failure);
}

void Reporters::Settled(const ExportCounts& counts) {
  for (Reporter* reporter : reporters_) reporter->Settled(counts);
}

void Reporters::Ended(const ExportCounts& counts) {
  for (Reporter* reporter : reporters_) reporter->Ended(counts);
}

}  // namespace murel

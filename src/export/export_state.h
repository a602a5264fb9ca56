// What an export changes as it goes from entry to entry.
#pragma once

#include <memory>

#include "export/directory_chain.h"
#include "platform/platform.h"

namespace murel {

/// The state of one export that the entries pass on to each other.
struct ExportState {
  std::unique_ptr<ListingFile> listingFile;  ///< "urls.txt"; null in the tolvar format.
  unsigned long longUrlCounter = 0;          ///< Numbered "longurls\" names given so far.
  KnownDirectories directories;              ///< Levels below the root made sure of.
};

}  // namespace murel

// What an export changes as it goes from entry to entry.
#pragma once

#include <memory>

#include "export/directory_chain.h"
#include "export/earlier_owners.h"
#include "export/listing_seal.h"
#include "export/listing_writer.h"
#include "export/warc_writer.h"
#include "export/writer_pool.h"
#include "platform/platform.h"

namespace murel {

/// The state of one export that the entries pass on to each other.
struct ExportState {
  std::unique_ptr<ListingWriter> listing;  ///< "urls.txt"; null in the tolvar format.
  std::unique_ptr<WarcWriter> archive;     ///< "--warc": the web archive; null without.
  unsigned long longUrlCounter = 0;        ///< Numbered "longurls\" names given so far.
  KnownDirectories directories;            ///< Levels below the root made sure of.
  std::unique_ptr<FileLooks> targetLooks;  ///< The export thread's looks at targets, once made.
  ExportCounts counts;                     ///< What happened to the entries so far.
  /// The writers that make the copies beside the export's thread; null to make each copy at
  /// once. With them, `counts` and `ownersSound` are complete once the pool has finished.
  WriterPool* writers = nullptr;

  /// Numbered names are given in the order the cache delivers its entries, which may change from
  /// run to run: a name may hold another URL's bytes that are newer than this URL's. The earlier
  /// listing tells which URL each name held, when `seal` vouches for it (else `owners` is null and
  /// every numbered name is written again).
  const EarlierOwners* owners = nullptr;
  ListingSeal* seal = nullptr;  ///< Null for none.
  /// Every numbered name this run lists holds the URL it lists there, or nothing: the new listing
  /// may be sealed.
  bool ownersSound = true;
};

}  // namespace murel

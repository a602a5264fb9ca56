// The listing "urls.txt" of a run, put in place whole and only when it says something new.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "export/listing_hash.h"
#include "platform/platform.h"

namespace murel {

/// The new listing at a path, written through a body writer under a temporary name beside the
/// earlier listing, which stays untouched until Close: a killed run leaves the earlier listing
/// whole. As the lines come, they are compared with the earlier listing's bytes at the same place;
/// a listing with the same bytes is not put in place at all, so that a re-run that lists the same
/// entries leaves the file as it was, its time and identity included. Every "\n" reaches the file
/// as CR LF. Memory stays within a block of text.
class ListingWriter {
 public:
  /// Begins the listing that will replace `path` (its folder exists); null when nothing can be
  /// written there.
  static std::unique_ptr<ListingWriter> Open(Platform& platform, const std::string& path);
  ~ListingWriter();
  ListingWriter(const ListingWriter&) = delete;
  ListingWriter& operator=(const ListingWriter&) = delete;

  /// Appends a line of `fields` joined by tabs, and its end. True when a field held a "\n", which
  /// ended a line there: a later run would read the pieces as lines of their own.
  bool WriteLine(std::initializer_list<std::string_view> fields);

  /// Ends the listing: puts it in place of the earlier one unless that holds the same bytes.
  /// False when it could not be written whole (the earlier listing then stays).
  bool Close();

  /// The hash of the listing's bytes as written so far.
  ListingHash Hash() const;
  /// How many bytes the listing holds so far.
  std::uint64_t Size() const { return flushed_ + pending_.size(); }

 private:
  ListingWriter(Platform& platform, std::unique_ptr<BodyWriter> writer,
                std::unique_ptr<ReadableFile> earlier);
  /// Appends `text` to the buffered bytes, each "\n" as CR LF.
  void AppendWithCrLf(std::string_view text);
  /// Hands the buffered bytes to the writer, comparing them with the earlier listing.
  void Flush();
  /// Whether the earlier listing holds `bytes` at `offset`.
  bool EarlierHolds(std::uint64_t offset, std::string_view bytes);

  Platform& platform_;
  std::unique_ptr<BodyWriter> writer_;     ///< Null once a write failed.
  std::unique_ptr<ReadableFile> earlier_;  ///< Null once the listings differ, or with none.
  std::string pending_;                    ///< Bytes not yet handed to the writer.
  std::string compared_;                   ///< The earlier listing's bytes, read for comparing.
  ListingHash hash_;                       ///< Of the bytes handed to the writer.
  std::uint64_t flushed_ = 0;              ///< Bytes handed to the writer.
  bool failed_ = false;
};

}  // namespace murel

// A web archive (WARC 1.1) of the entries a run selects, written as the run goes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cache/core/cache_entry.h"
#include "platform/platform.h"

namespace murel {

/// What became of an entry in the archive.
enum class ArchiveOutcome {
  kWritten,    ///< Its record is in the archive.
  kNoContent,  ///< The cache holds no content for it (no local file, or it is missing): no record.
  kFailed,     ///< No record: its content or head could not be read, or its head or URL holds a
               ///< control byte.
};

/// Writes the records of an archive into a file that replaces the archive whole when the run
/// ends. With `gzip`, each record is a gzip member of its own, which replay tools index.
class WarcWriter {
 public:
  /// Writes into `file`. `runName` (the archive's path and the time the run began) makes the
  /// record ids of this archive its own.
  WarcWriter(std::unique_ptr<BodyWriter> file, bool gzip, std::string runName);
  ~WarcWriter();
  WarcWriter(const WarcWriter&) = delete;
  WarcWriter& operator=(const WarcWriter&) = delete;

  /// Writes the "warcinfo" record, which names the archive `fileName` and holds `fields`
  /// ("name: value" lines, each ending in CR LF); it is dated `time`. Call it first.
  void WriteInfo(const std::string& fileName, const std::string& fields, FileTime time);

  /// Writes the record of `entry`: a "response" record (the HTTP head as the cache kept it, see
  /// ArchivedHttpHead, and the body as stored, codings and all) when the entry has an HTTP
  /// head, else a "resource" record typed by its local file's name. Dated when the cache stored
  /// the body (a local file: its last-write time). The body is read twice, for its digests and
  /// for the writing, so that it is never held: a body that changes in between breaks the
  /// archive (Finish then fails) rather than leaving a record whose digest lies.
  ArchiveOutcome Add(Platform& platform, const CacheEntry& entry);

  /// Puts the archive in place, dated `time`. False, with the archive that was there left as it
  /// was, when any write failed or a body changed while it was written.
  bool Finish(FileTime time);

 private:
  struct Source;
  struct Record;
  ArchiveOutcome WriteRecord(const Record& record, Source& source);
  std::string RecordHeader(const Record& record, const std::string& blockDigest,
                           const std::string& payloadDigest, std::uint64_t blockSize);
  void BeginMember();
  void Put(const void* data, std::size_t size);
  void EndMember();
  void Emit(const unsigned char* data, std::size_t size);
  void Flush();

  std::unique_ptr<BodyWriter> file_;
  bool gzip_;
  std::string runName_;
  std::string infoId_;
  std::uint64_t records_ = 0;
  bool broken_ = false;
  struct Deflater;
  std::unique_ptr<Deflater> deflater_;
  std::vector<unsigned char> pending_;
};

}  // namespace murel

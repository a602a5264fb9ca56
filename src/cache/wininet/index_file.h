// An index.dat file held in memory: its header, its table chain and its URL records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace murel {

/// One URL entry of an index.dat file, as the cache service's walk delivers it.
struct IndexEntry {
  std::string url;
  std::string localFile;         ///< Full path of the local file; empty when there is none.
  std::uint32_t recordSize = 0;  ///< Bytes the walk's entry record needs for this entry.
  /// The HTTP headers the record holds, up to their first NUL; empty when it holds none inside.
  std::string headers;
  /// The local file's directory and file names are plain names (see IsPlainName), so that the
  /// file lies inside the cache folder.
  bool plainNames = true;
};

/// The fixed part of an entry record as counted by `IndexEntry::recordSize`: the size of the
/// cache service's entry structure on 32-bit Windows. The texts that follow it are counted with
/// their NULs: the URL, the local file (when there is one) and the HTTP headers (when they lie
/// inside the record).
constexpr std::uint32_t kEntryRecordFixedSize = 80;

/// A whole index.dat file. Every read is checked against the file; nothing is trusted.
class IndexFile {
 public:
  /// Takes `file` (the whole index.dat) and the Windows-form folder that holds it, without a
  /// trailing "\". Empty if the file does not start with the header of a known version.
  static std::optional<IndexFile> Open(std::vector<unsigned char> file, std::string cacheFolder);

  /// The records that the HASH table slots name, in walk order: tables in chain order, slots in
  /// ascending order. Free, deleted and never-written slots, and slots whose offset is no block
  /// of the file, are left out; the records are not yet checked. A chain that loops or breaks
  /// ends the list.
  const std::vector<std::uint32_t>& RecordOffsets() const { return records_; }

  /// The URL entry of the record at `offset`; empty if it is no "URL " record or is damaged (its
  /// blocks, URL or file name lie outside the record or the file). Local files are
  /// cacheFolder + "\" + directory + "\" + file name, or cacheFolder + "\" + file name for
  /// entries kept outside the directories; none when the directory index is unknown.
  std::optional<IndexEntry> ReadUrlRecord(std::uint32_t offset) const;

 private:
  IndexFile(std::vector<unsigned char> file, std::string cacheFolder, std::size_t version);
  void ReadDirectories();
  void ReadTableChain();
  std::string LocalFile(std::uint8_t directory, const std::string& name) const;
  bool HasPlainNames(std::uint8_t directory, const std::string& name) const;

  std::vector<unsigned char> file_;
  std::string cacheFolder_;
  std::size_t version_;
  std::vector<std::string> directories_;
  std::vector<std::uint32_t> records_;
};

}  // namespace murel

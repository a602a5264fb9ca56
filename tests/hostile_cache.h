// A cache whose URLs attack the export: climbing names, backslashes, device names, colons,
// control characters, bytes that are not UTF-8, URLs of thousands of characters, and thousands of
// entries with one URL; with a few ordinary entries that must be exported all the same. Shared by
// the native and the Windows end-to-end tests.
#pragma once

#include <string>
#include <vector>

namespace murel {

/// An ordinary entry of the hostile cache and the file it must be exported to, relative to the
/// export root with "/" separators (as the sample rules make it), with its content.
struct ExpectedExport {
  std::string url;
  std::string path;
  std::string content;
};

/// Writes "index.dat" and its content files into the existing folder `cacheFolder` (a path the
/// running program can open). False if a file cannot be written.
bool WriteHostileCache(const std::string& cacheFolder);

/// How many entries the hostile cache holds, each of which makes one listing line.
std::size_t HostileCacheEntryCount();

/// The ordinary entries of the hostile cache.
std::vector<ExpectedExport> HostileCacheOrdinaryEntries();

/// Writes a Firefox cache ("cache2/entries" under the existing folder `profileFolder`) whose
/// content codings attack the decoder: "http://h/nested.html" under 130 layers of gzip (4 KB)
/// and "http://h/bomb.html", whose 2 KB expand to 64 MiB between two gzip stages and to nothing
/// at the end. Beside them, the entries of HostileCodingsOrdinaryEntries(). False if a file cannot
/// be written.
bool WriteHostileCodingsCache(const std::string& profileFolder);

/// The entries of the codings cache that export: two gzip layers, an unknown label, no coding.
std::vector<ExpectedExport> HostileCodingsOrdinaryEntries();

}  // namespace murel

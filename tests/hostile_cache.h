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

}  // namespace murel

// Entry files of Firefox's disk cache made in memory, with their hashes right, for the damage
// that the browser itself cannot be made to write.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace murel {

/// What one entry file holds.
struct FirefoxEntryPlan {
  std::string key = ":http://h/a";
  std::string data = "body";  ///< The body, followed by any alternative data.
  std::vector<std::pair<std::string, std::string>> elements{
      {"request-method", "GET"}, {"response-head", "HTTP/1.1 200 OK\r\n"}};
  std::uint32_t version = 4;
  std::uint32_t lastModified = 1700000000;
};

/// The bytes of an entry file as Firefox writes it: data, metadata hash, chunk hashes, header,
/// key, elements, (version 4) one more word, data length.
std::string FirefoxEntryFile(const FirefoxEntryPlan& plan);

/// Sets the hashes of an entry file right again after a test changed its metadata or data:
/// the chunk hashes and the metadata hash, laid out as the file's version says. Files too
/// damaged to find the hashes in are left as they are.
void FixFirefoxHashes(std::string& file);

}  // namespace murel

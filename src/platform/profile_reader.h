// Profile (INI) files read as Windows reads them: sections of entries and values of keys.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace murel {

/// The profile readers. A file that cannot be read reads as an empty one.
class ProfileReader {
 public:
  virtual ~ProfileReader() = default;

  /// The entries ("key=value" or other non-blank lines) of one section of a profile file, in file
  /// order, as the profile-section reader returns them within a buffer of `capacity` characters
  /// (each entry costs its length plus one); entries that do not fit are lost. Empty if the file
  /// or section is missing.
  virtual std::vector<std::string> ReadProfileSection(const std::string& section,
                                                      const std::string& file,
                                                      std::size_t capacity) = 0;

  /// The values of `keys` in one section of a profile file, in the order of `keys`, each as the
  /// key reader (GetPrivateProfileStringA with a 500-character buffer) gives it: cut to 499
  /// characters, empty if the file, section or key is missing. However large the file, the
  /// memory used is bounded by the keys asked.
  virtual std::vector<std::string> ReadProfileStrings(const std::string& section,
                                                      const std::vector<std::string>& keys,
                                                      const std::string& file) = 0;
};

}  // namespace murel

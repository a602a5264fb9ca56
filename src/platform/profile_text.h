// Reading profile (INI) text the way the Windows profile functions do. The POSIX platform reads
// its profile files through these functions, and the fake platform its in-memory ones.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace murel {

/// The entries of `section` in the profile text `text`, in file order, as
/// GetPrivateProfileSectionA gives them within `capacity` characters (each entry costs its length
/// plus one; entries that do not fit are lost). Section names match without regard to ASCII case.
std::vector<std::string> ProfileSection(std::string_view text, std::string_view section,
                                        std::size_t capacity);

/// The value of `key` in `section` of the profile text `text`, as GetPrivateProfileStringA gives
/// it with a 500-character buffer: cut to 499 characters; empty when missing.
std::string ProfileString(std::string_view text, std::string_view section, std::string_view key);

}  // namespace murel

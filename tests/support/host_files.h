// Reading what a test run left in real folders.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace murel {

/// The whole content of a file; empty if it cannot be read.
std::string ReadAll(const std::filesystem::path& path);

/// Every file and folder under `root` except `skip` and what lies inside it, relative to `root`,
/// folders ending in "/", sorted bytewise.
std::vector<std::string> TreeOf(const std::filesystem::path& root,
                                const std::filesystem::path& skip = {});

}  // namespace murel

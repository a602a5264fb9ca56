// Creating the directories of a target path, moving aside files that sit where a directory is
// needed.
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>

#include "platform/platform.h"

namespace murel {

/// The name a directory's own page takes inside that directory.
constexpr const char* kDirectoryPageName = "__";

/// The path of the page of the directory `folder`.
inline std::string DirectoryPageOf(const std::string& folder) {
  return folder + "\\" + kDirectoryPageName;
}

/// The levels below the export root that a run has seen to be directories of its own: real
/// directories, no links, each of its levels above it too; true for those the run made itself.
/// Kept for a whole run, so that each level is looked at once.
using KnownDirectories = std::unordered_map<std::string, bool>;

/// The cut (index of the "\" that ends it) of the deepest level of `path` above its last
/// component that `known` holds, looked for from the bottom; `floor` when none past `floor` is.
/// `level` is room for the levels looked up. Every level above a known one is known too.
std::size_t DeepestKnownLevel(const std::string& path, std::size_t floor,
                              const KnownDirectories& known, std::string& level);

/// True when `attributes` name a directory that is no link (reparse point): a link below the
/// export root could lead anywhere, so it is never entered.
bool IsPlainDirectory(const std::optional<std::uint32_t>& attributes);

/// Creates every missing directory level of `target`'s directory (everything before its last
/// "\"), level by level below the deepest level that already is a directory (after the drive when
/// none is). A level that is taken by a file or a link becomes a directory that holds that file
/// or link as "__": nothing is created or written through a link below the export root. Levels
/// shorter than `rootLength` (the export root with its trailing "\") are the user's: only ever
/// created, never cleared, and they may be links. Failures are passed over: the copy that
/// follows fails and is reported then. A file moved aside is never lost: it ends up as "__", back
/// under its old name, or (when the last move fails) under a temporary name in the same
/// directory. `known` holds the levels seen before in this run; a directory that it holds costs
/// no look, one that exists whole costs a look per level the first time. True when the target's
/// directory is one this run made: it holds nothing but what the run put there.
bool MakeDirectoryChain(Platform& platform, const std::string& target, std::size_t rootLength,
                        KnownDirectories& known);

}  // namespace murel

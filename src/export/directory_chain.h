// Creating the directories of a target path, moving aside files that sit where a directory is
// needed.
#pragma once

#include <cstddef>
#include <string>

#include "platform/platform.h"

namespace murel {

/// The name a directory's own page takes inside that directory.
constexpr const char* kDirectoryPageName = "__";

/// Creates every missing directory level of `target`'s directory (everything before its last
/// "\"), level by level below the deepest level that already is a directory (after the drive when
/// none is). A level that is taken by a file becomes a directory that holds that
/// file as "__". Levels shorter than `rootLength` (the export root with its trailing "\") are
/// only ever created, never cleared. Failures are passed over: the copy that follows fails and
/// is reported then. A file moved aside is never lost: it ends up as "__", back under its old
/// name, or (when the last move fails) under a temporary name in the same directory. A
/// directory that already exists whole costs one attribute look and nothing else.
void MakeDirectoryChain(Platform& platform, const std::string& target, std::size_t rootLength);

}  // namespace murel

// The sizes of the program's text buffers.
//
// The program was first a 32-bit Windows program with fixed character buffers, and users' rule
// files, language files and scripts were written against them: a path is formed in a buffer of
// 2000 characters, the export root in one of 300 that also holds "urls.txt", the URL filter in
// one of 5000, a shown text in one of 10000, one configuration section in one of a million. The
// limits below are those buffers less their end mark; a text over its limit is refused or takes
// the path that an over-long text takes, and no buffer is ever overrun.
#pragma once

#include <cstddef>
#include <cstdint>

namespace murel {

/// Working paths and the command line are held within this many characters (with the end mark).
constexpr std::size_t kPathBufferSize = 2000;
/// The most characters of a command-line tail.
constexpr std::size_t kMaxTailLength = kPathBufferSize - 1;
/// The most characters of the export root as the command line gives it, and of the program's
/// directory (a buffer of 300).
constexpr std::size_t kMaxRootTextLength = 299;
/// The most characters of the URL filter (a buffer of 5000).
constexpr std::size_t kMaxFilterLength = 4999;
/// The full-path service writes the export root within this many characters.
constexpr std::size_t kFullPathLimit = 500;
/// The export root shares a 300-character buffer with the "urls.txt" appended to it.
constexpr std::size_t kMaxExportRootLength = 291;
/// Target paths longer than this many characters take a numbered name instead.
constexpr std::size_t kMaxTargetPathLength = 235;
/// The profile reader's buffer for one configuration section.
constexpr std::size_t kSectionBufferSize = 1000000;
/// The most lines one message may have in the language file (keys name + "1" to name + "29").
constexpr int kMaxMessageLines = 29;
/// The most characters a shown text may have; this is also the size of the usage text.
constexpr std::size_t kMaxShownText = 9999;
/// The record size offered for every entry of the system's cache walk before it asks for more.
constexpr std::uint32_t kCacheRecordSize = 2000;

}  // namespace murel

// What every reader requires of the URL of an entry it delivers.
#pragma once

#include <memory>
#include <string_view>

#include "cache/core/cache_entry.h"
#include "cache/core/cache_reader.h"

namespace murel {

/// Whether `url` begins with a scheme and names something after it: a letter, then letters,
/// digits, '+', '-' or '.', then ':' and at least one more character.
bool HasScheme(std::string_view url);

/// Refuses an entry whose URL holds a control byte (below 0x20, or 0x7F): such a URL would split
/// its listing line into forged ones and make names that hold line ends. The entry is marked
/// refused, so that it fails like a failed copy, and each control byte of its URL is written
/// "%XX" (upper-case hexadecimal), so that it still takes one listing line. Any other entry is
/// left as it is.
void RefuseControlBytes(CacheEntry& entry);

/// `reader`, with every entry it delivers passed through RefuseControlBytes; null if it is null.
std::unique_ptr<CacheReader> RefusingControlBytes(std::unique_ptr<CacheReader> reader);

}  // namespace murel

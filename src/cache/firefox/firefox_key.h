// The key under which Firefox's disk cache keeps an entry: tags, then ':' and the URL.
#pragma once

#include <optional>
#include <string_view>

namespace murel {

/// The URL of a Firefox cache key. A key is a list of tags, each one character, a value that may
/// hold doubled commas (",," stands for ","), and a closing ','; then ':' and the URL as it was
/// requested. The tags (origin attributes with the partition key "O^...", anonymous "a",
/// private "p", the POST id "~<n>", and older ones) tell apart copies of one URL; the URL is
/// the same for all. Empty when the key has no ':' where a tag would begin, a tag is not closed,
/// or the URL does not begin with a scheme (see HasScheme).
std::optional<std::string_view> UrlOfFirefoxKey(std::string_view key);

}  // namespace murel

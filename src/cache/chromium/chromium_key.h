// The URL inside a key of Chromium's HTTP cache.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace murel {

/// The URL that the HTTP-cache key `key` stands for. Keys take the shapes
/// "<credentials>/<upload id>/[_dk_[s_][cn_]<top-frame site> <frame site>[ <partition>] ]<url>"
/// today, and "<upload id>/<url>", "_dk_<site> <url>" or the bare URL in older caches: the URL
/// is the text after the last blank, once the prefixes are gone. Empty for a key that names no
/// URL: a range piece ("Range_…"), a code-cache key ("_key…"), or a text without a scheme (see
/// HasScheme); and for the answer to an upload (a form POST), whose upload id is not "0".
std::optional<std::string> UrlOfCacheKey(std::string_view key);

}  // namespace murel

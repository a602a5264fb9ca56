// The file path that one cache entry is exported to.
#pragma once

#include <cstddef>
#include <string>

#include "base/buffer_limits.h"
#include "rules/rule_set.h"

namespace murel {

/// The directory under the export root that holds the numbered names.
constexpr const char* kLongUrlDirectory = "longurls\\";

/// The path that `url` is exported to: `exportRoot` (absolute, ending in "\") followed by the URL
/// (in the tolvar format without a leading "http://", in any case), rewritten as a whole by
/// `allRules`; a drive colon of the root is set again after the rules; a final "." becomes "_",
/// and a path that then ends in "/" or "\" gets the file name "__". A path longer than
/// kMaxTargetPathLength becomes `exportRoot` + "longurls\" + `longUrlCounter` in decimal, with
/// the long path's extension when the result stays within kMaxTargetPathLength, and the counter
/// goes up by one. A root and URL that together would not fit the 2000-character path buffer take
/// a numbered name at once, without extension, as no rule has made that text safe; rules stop
/// short of the buffer (ApplyRules). A root whose second character is not ":" (a network path)
/// keeps that character.
std::string TargetPath(const std::string& exportRoot, const std::string& url, bool tolvarFormat,
                       const RuleSet& allRules, unsigned long& longUrlCounter);

}  // namespace murel

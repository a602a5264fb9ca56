// Where the WinINet cache of the user's Wine prefix lies on the host.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace murel {

/// The places, in the order tried, where a Wine prefix `prefix` (a host folder) keeps the cache
/// index of the user `user`: the current layout first, then the older one.
std::vector<std::string> WineCacheCandidates(const std::string& prefix, const std::string& user);

/// The host path of the first existing cache index of the current user's Wine prefix
/// ($WINEPREFIX, else ~/.wine; the user is $USER, else the account's name); empty if none exists.
std::optional<std::string> FindWineCacheIndex();

}  // namespace murel

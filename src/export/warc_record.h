// The pieces of a web archive (WARC 1.1) record that depend on nothing but their inputs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace murel {

/// The HTTP head of a response record's block, formed from `head`, the status line and header
/// lines as a cache kept them (each line ending in CR LF, LF or NUL; what follows the first
/// empty line is not read): the lines as they are, each ending in CR LF, without
/// Transfer-Encoding (the body is no longer chunked) or Content-Length, then
/// "Content-Length: <bodySize>" and the empty line. Content-Encoding stays: the body keeps its
/// codings. Empty when the first line is no HTTP status line or a line holds a control byte
/// other than a tab, which would let the cache's text forge lines of the archive.
std::optional<std::string> ArchivedHttpHead(std::string_view head, std::uint64_t bodySize);

/// True when `text` holds a control byte other than a tab: text that would break a line of an
/// archive record.
bool HoldsControlByte(std::string_view text);

/// `time` in UTC as WARC-Date writes it: "YYYY-MM-DDThh:mm:ssZ" (seconds cut).
std::string WarcDate(FileTime time);

/// A record id "<urn:uuid:...>": a name-based UUID (version 5 layout) from the SHA-1 of `name`,
/// which the caller makes unique to the record.
std::string WarcRecordId(std::string_view name);

/// The media type that the name of a local file suggests by its extension (the common web
/// types); "application/octet-stream" for any other.
std::string MediaTypeOfName(std::string_view name);

}  // namespace murel

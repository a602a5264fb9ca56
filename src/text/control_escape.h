// Texts from the disk shown in a listing that is read a line at a time.
#pragma once

#include <string>
#include <string_view>

namespace murel {

/// `text` with every C0 control byte (0x00 to 0x1F, line feed and tab included) and DEL written
/// out as "\x" and two lower-case hex digits, the form a terminal shows them in; every other byte
/// unchanged. A name from the disk, such as a folder whose name holds a line feed, then stays on
/// its one line whether the text goes to a terminal, a pipe or a file.
std::string EscapeControlBytes(std::string_view text);

}  // namespace murel

// Making the program's 8-bit texts fit for a UTF-8 terminal.
#pragma once

#include <string>

#include "platform/platform.h"

namespace murel {

/// True if `text` is well-formed UTF-8 (no overlong forms, surrogates or code points past
/// U+10FFFF).
bool IsValidUtf8(const std::string& text);

/// The Windows-1251 text `text` in UTF-8. Bytes below 0x80 stay; the one byte that Windows-1251
/// leaves unassigned (0x98) becomes U+FFFD.
std::string Cp1251ToUtf8(const std::string& text);

/// `text` as a terminal shows it: unchanged if it is valid UTF-8, otherwise read as Windows-1251
/// (the code page of the built-in texts) and converted to UTF-8.
std::string TerminalText(const std::string& text);

/// The UTF-8 text `utf8` with every control character except "\n" and "\t" written out as an
/// escape: C0 controls and DEL as "\x1b", C1 controls (U+0080 to U+009F) as "\u009b", and the
/// invisible characters that set the direction of what follows (the marks U+061C, U+200E and
/// U+200F; the embeddings, overrides and isolates U+202A to U+202E and U+2066 to U+2069) as
/// "\u202e". A text from a hostile cache, shown on a terminal, then can neither drive the
/// terminal nor reorder what is shown after it.
std::string EscapeControls(const std::string& utf8);

/// A shown text as a terminal shows it: the built-in pieces converted from Windows-1251, the
/// others each as TerminalText shows them.
std::string TerminalText(const ShownText& text);

}  // namespace murel

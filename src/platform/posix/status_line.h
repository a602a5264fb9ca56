// A line on the terminal of standard error that is drawn again in place.
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"

namespace murel {

/// Erases the line that the cursor is on, when `drawn` says a status line stands there, and
/// clears `drawn`; for output that must not run into the line.
void ClearStatusLine(bool& drawn);

/// The status line on standard error when it is a terminal; null when it is not. `drawn` is
/// set while the line shows text that no "\n" has ended yet; it must outlive the line.
std::unique_ptr<StatusLine> OpenTerminalStatusLine(bool& drawn);

}  // namespace murel

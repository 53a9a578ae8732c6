// The test for a running terminal, which the install and the uninstall make before they start,
// with the window or without it.
#pragma once

#include "package/terminal_platform.h"

namespace ko {

// True when no terminal window of the Platforms exists, whichever folder it runs from. A
// terminal holds the add-ons it has loaded: the run could not replace or remove them.
bool NoMetaTraderRunning(TPlatforms platforms);

} // namespace ko

// The test for a running terminal, which the install and the uninstall make before they start,
// with the window or without it.
#pragma once

namespace ko {

// True when no MetaTrader 4 terminal window exists, whichever folder it runs from.
bool NoMetaTraderRunning();

} // namespace ko

#include "engine/running_terminal.h"

#include <windows.h>

namespace ko {

bool NoMetaTraderRunning() {
    // Every terminal's main window has this class, whatever its caption or folder.
    return FindWindowW(L"MetaQuotes::MetaTrader::4.00", nullptr) == nullptr;
}

} // namespace ko

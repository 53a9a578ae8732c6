#include "engine/running_terminal.h"

#include <windows.h>

namespace ko {

bool NoMetaTraderRunning(TPlatforms platforms) {
    // Every terminal's main window has its platform's class, whatever its caption or folder.
    if ((platforms & ForMT4) && FindWindowW(L"MetaQuotes::MetaTrader::4.00", nullptr))
        return false;
    if ((platforms & ForMT5) && FindWindowW(L"MetaQuotes::MetaTrader::5.00", nullptr))
        return false;
    return true;
}

} // namespace ko

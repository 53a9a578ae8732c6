// Where the MetaTrader terminals are: the one discovery that both the destination page and the
// unattended install use, and the test for a running terminal.
#pragma once

#include "engine/terminal_discovery.h"

#include <string>
#include <vector>

namespace ko {

struct TTerminalFolders {
    std::vector<std::string> Folders;     // listed on the destination page
    std::vector<std::string> Unticked;    // those of Folders not ticked at first (OthersOnly)
    std::vector<TDataFolder> DataFolders; // for the install run: see DataFoldersOf
    bool Default = false;                 // none was found: Folders holds the default folder only
};

// The terminals DiscoverTerminals finds in Places, with their data folders, those known only from
// other users' profiles unticked; when there is none,
// the first Program Files folder + "\MetaTrader 4", which is not created here: the install run
// creates what it needs.
TTerminalFolders FindMetaTraderFolders(const TTerminalPlaces& places);
// The same in this computer's places.
TTerminalFolders FindMetaTraderFolders();

// True when no MetaTrader 4 terminal window exists, whichever folder it runs from.
bool NoMetaTraderRunning();

} // namespace ko

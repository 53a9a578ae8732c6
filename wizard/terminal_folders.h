// Where the MetaTrader terminals are: the one discovery that both the destination page and the
// unattended install use, and the test for a running terminal.
#pragma once

#include <string>
#include <vector>

namespace ko {

struct TTerminalFolders {
    std::vector<std::string> Folders; // each ticked at first on the destination page
    bool Default = false;             // none was found: Folders holds the default folder only
};

// The direct subfolders of ProgramFiles (no trailing separator) that hold "terminal.exe", in
// the order the file system lists them, hidden and system folders left out; when there is none,
// ProgramFiles + "\MetaTrader 4", which is not created here: the install run creates what it
// needs.
TTerminalFolders FindMetaTraderFolders(const std::string& programFiles);

// True when no MetaTrader 4 terminal window exists, whichever folder it runs from.
bool NoMetaTraderRunning();

} // namespace ko

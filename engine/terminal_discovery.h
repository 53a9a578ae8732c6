// The MetaTrader terminals on this computer: those directly under Program Files, and those that
// a data folder in some user's roaming application data names in its origin.txt. Used by the
// destination page and by whatever installs without the window.
#pragma once

#include "engine/terminal_origin.h"

#include <string>
#include <vector>

namespace ko {

// Where terminals are looked for, each list in the order searched.
struct TTerminalPlaces {
    // Program Files (folder id 28), then the 64-bit Program Files when it is another folder.
    std::vector<std::string> ProgramFiles;
    // The roaming application data of the user running the installer.
    std::vector<std::string> ApplicationData;
    // The folders of the other profiles the system lists (an administrator's elevation may run
    // us under another account than the trader's), whose data folders lie in
    // <profile>\AppData\Roaming.
    std::vector<std::string> OtherProfiles;
};

// The places of this computer.
TTerminalPlaces TerminalPlaces();

struct TTerminalDiscovery {
    // Terminal folders in the order found, each once, without a trailing "\".
    std::vector<std::string> Terminals;
    // Every data folder whose origin.txt names an existing terminal; see DataFoldersOf.
    std::vector<TDataFolder> DataFolders;
    // The terminals of Terminals known only from other profiles' data folders: another user's
    // origin.txt may name any folder, so the administrator chooses them, nobody else.
    std::vector<std::string> OthersOnly;
};

// First the visible direct subfolders of each Program Files folder that hold "terminal.exe", in
// the order the file system lists them; then the folders named by the origin.txt of each direct
// subfolder of ApplicationData\MetaQuotes\Terminal, then of the other profiles' ones, when they
// hold "terminal.exe" and are not listed yet.
TTerminalDiscovery DiscoverTerminals(const TTerminalPlaces& places);

} // namespace ko

// The MetaTrader terminals on this computer: those directly under Program Files, and those that
// a data folder in some user's roaming application data names in its origin.txt, and which of
// them an install offers. Used by the destination page and by the install without the window.
#pragma once

#include "engine/terminal_origin.h"
#include "package/terminal_platform.h"

#include <optional>
#include <string>
#include <vector>

namespace ko {

// Where terminals are looked for, each list in the order searched.
struct TTerminalPlaces {
    // Program Files (folder id 28), then the 64-bit Program Files when it is another folder:
    // the last one is where a 64-bit terminal installs by default.
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

// A terminal found on this computer. One record per terminal, so that whatever else is learnt
// about a terminal travels with its folder.
struct TTerminal {
    // The installation folder, without a trailing "\".
    std::string Folder;
    // Known only from other profiles' data folders: another user's origin.txt may name any
    // folder, so the administrator chooses such a terminal, nobody else.
    bool OthersOnly = false;
    TPlatform Platform = TPlatform::MT4;

    // An install goes into it unless told otherwise: ticked at first on the destination page,
    // and taken by the unattended install when no terminal is named.
    bool Preselected() const { return !OthersOnly; }
};

// The platform of the terminal installed in Folder: MT5 when it holds "terminal64.exe" (older
// MT5 folders hold a "terminal.exe" beside it), else MT4 when it holds "terminal.exe"; nothing
// for a folder without a terminal.
std::optional<TPlatform> InstalledPlatform(const std::string& folder);

// Holds "terminal.exe" or "terminal64.exe".
bool IsTerminal(const std::string& folder);

// The program that starts the terminal installed in Folder.
std::string TerminalProgram(const std::string& folder);

// The platform of a folder the trader names (the browse button, /T=), which may hold no
// terminal yet: as installed; else MT5 when it holds an "MQL5" folder and no "MQL4" one (a
// portable terminal whose program is missing), MT4 when it holds "MQL4"; for an empty or new
// folder MT5 when the package is for MT5 alone, else MT4.
TPlatform ChosenPlatform(const std::string& folder, TPlatforms package);

struct TTerminalDiscovery {
    // In the order found, each folder once.
    std::vector<TTerminal> Terminals;
    // Every data folder whose origin.txt names an existing terminal; see DataFoldersOf.
    std::vector<TDataFolder> DataFolders;
};

// First the visible direct subfolders of each Program Files folder that hold a terminal of
// either platform, in the order the file system lists them; then the folders named by the
// origin.txt of each direct subfolder of ApplicationData\MetaQuotes\Terminal, then of the other
// profiles' ones, when they hold a terminal and are not listed yet.
TTerminalDiscovery DiscoverTerminals(const TTerminalPlaces& places);

// The terminals an install offers: the destination page lists them, the unattended install
// takes the preselected ones.
struct TTerminalOffer : TTerminalDiscovery {
    // None was found: Terminals holds the default folder alone.
    bool Default = false;
};

// The terminals DiscoverTerminals finds in Places of the Platforms the package installs into,
// with their data folders; a package without MT5 add-ons is offered MT4 terminals alone. When
// there is none, the first Program Files folder + "\MetaTrader 4", preselected, or for a package
// for MT5 alone the last one + "\MetaTrader 5"; it is not created here: the install run creates
// what it needs.
TTerminalOffer OfferTerminals(const TTerminalPlaces& places, TPlatforms platforms = ForMT4);

} // namespace ko

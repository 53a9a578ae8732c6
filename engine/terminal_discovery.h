// The MetaTrader terminals on this computer: those directly under Program Files, and those that
// a data folder in some user's roaming application data names in its origin.txt, and which of
// them an install offers. Used by the destination page and by the install without the window.
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

// A terminal found on this computer. One record per terminal, so that whatever else is learnt
// about a terminal travels with its folder.
struct TTerminal {
    // The installation folder, without a trailing "\".
    std::string Folder;
    // Known only from other profiles' data folders: another user's origin.txt may name any
    // folder, so the administrator chooses such a terminal, nobody else.
    bool OthersOnly = false;

    // An install goes into it unless told otherwise: ticked at first on the destination page,
    // and taken by the unattended install when no terminal is named.
    bool Preselected() const { return !OthersOnly; }
};

// Holds "terminal.exe".
bool IsTerminal(const std::string& folder);

struct TTerminalDiscovery {
    // In the order found, each folder once.
    std::vector<TTerminal> Terminals;
    // Every data folder whose origin.txt names an existing terminal; see DataFoldersOf.
    std::vector<TDataFolder> DataFolders;
};

// First the visible direct subfolders of each Program Files folder that hold "terminal.exe", in
// the order the file system lists them; then the folders named by the origin.txt of each direct
// subfolder of ApplicationData\MetaQuotes\Terminal, then of the other profiles' ones, when they
// hold "terminal.exe" and are not listed yet.
TTerminalDiscovery DiscoverTerminals(const TTerminalPlaces& places);

// The terminals an install offers: the destination page lists them, the unattended install
// takes the preselected ones.
struct TTerminalOffer : TTerminalDiscovery {
    // None was found: Terminals holds the default folder alone.
    bool Default = false;
};

// The terminals DiscoverTerminals finds in Places; when there is none, the first Program Files
// folder + "\MetaTrader 4", preselected, which is not created here: the install run creates
// what it needs.
TTerminalOffer OfferTerminals(const TTerminalPlaces& places);

} // namespace ko

// The install run over loaded install data, and the steps it is made of that the tests call on
// their own.
#pragma once

#include "engine/dll_imports.h"
#include "engine/run_state.h"
#include "engine/stored_data.h"
#include "engine/terminal_origin.h"
#include "engine/transaction.h"
#include "package/ko_data.h"

#include <string>
#include <vector>

namespace ko {

class TKoInstallRun : public TKoRun {
public:
    explicit TKoInstallRun(TKoInstall& data) : Data(data) {}

    // Copies the files into every terminal folder and the program folder, runs the run items
    // of stages 1 and 2, overrides the terminals' settings, writes the documents, the shortcuts
    // and the uninstaller, and registers it. Starts with Position at 0, and fails before it
    // writes anything when a target does not expand to a full path (ExpandTarget). Every file goes
    // through Transaction; when a step throws, the run rolls back (reporting what it restores and
    // which run items already ran) and rethrows.
    void Execute() override;

    // Undoes what Transaction holds, reporting each step, and says which run items already ran.
    void RollBack();

    TKoInstall& Data;
    // The terminal folders to install into, as the wizard lists them; set before Execute.
    std::vector<std::string> TerminalFolders;
    // The data folders found with the terminals (OfferTerminals): those of a terminal
    // folder get the terminal-side files and settings too, each in a pass after the terminal's.
    std::vector<TDataFolder> DataFolders;
    // Everything the run created, in order; the uninstall log lists it.
    std::vector<TUninstallEntry> UninstallList;
    // The bytes of the product files the run wrote, for the size the list of installed programs
    // shows.
    int64_t CopiedBytes = 0;
    // Every file and folder the run writes, until it commits or rolls back.
    TFileTransaction Transaction;
    // Writes the product's files and run items through Transaction.
    TStoredDataWriter StoredData;
    // The titles of the run items started so far: a rollback cannot undo what they did.
    std::vector<std::string> StartedItems;
    // The options of Mt5ExpertOptions (bit i for the i-th) that the package sets and that an MT5
    // terminal did not take: the trader ticks them by hand.
    unsigned Mt5OptionsToTick = 0;
    // Warns about the imports of the DLLs the run writes that this computer lacks.
    TDllImportCheck DllImports;
};

// Writes one product document as lines ended by CR LF (the text split at CR, LF or CR LF) and a
// shortcut to it, reporting both and recording both for removal. An empty text writes nothing.
void InstallTextFile(TKoInstallRun& run, const std::string& filePath, const std::string& linkPath,
                     const std::string& text);

// Writes an internet shortcut ("[InternetShortcut]", "URL=" + Address, an empty line, each ended
// by CR LF) and records it for removal. An empty Address, or a bare "mailto:" or "http://",
// writes nothing.
void CreateUrlShortcut(TKoInstallRun& run, const std::string& path, const std::string& address);

// The address of the web-site shortcut: Website trimmed, with "http://" put in front unless it
// already starts with a scheme such as "http://" or "https://" (any letter case). "" when the
// trimmed text is empty.
std::string WebsiteAddress(const std::string& website);

// Writes ExePath (the package file's stub followed by the uninstall log: everything recorded so
// far, its shortcut LinkPath included, merged with the log of the uninstaller it replaces), writes
// its shortcut and registers it, the registration last so that the entry changes only when all
// else is in place. An uninstaller that cannot be written or moved into place, after a few tries,
// throws EKoError; so does a registry value that cannot be set ("Failed to set data for
// '<value>'").
void CreateUninstaller(TKoInstallRun& run, const std::string& exePath, const std::string& linkPath);

} // namespace ko

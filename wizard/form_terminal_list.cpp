// The destination page: the MetaTrader terminals found under Program Files and through their
// data folders, folders the user adds by hand, and the test for a running terminal.
#include "wizard/terminal_folders.h"

#include "engine/file_utils.h"
#include "engine/sys_folders.h"
#include "ui/message_box.h"
#include "ui/text.h"
#include "wizard/browse_folder.h"
#include "wizard/form_installer.h"

#include <algorithm>

namespace ko {

namespace {

const wchar_t MsgNoTerminal[] =
    L"We cannot find any MetaTrader folder in this computer.\rWe add a default folder so you "
    L"can continue with the installation,\rand install MetaTrader later.";

} // namespace

TTerminalFolders FindMetaTraderFolders(const TTerminalPlaces& places) {
    TTerminalDiscovery discovered = DiscoverTerminals(places);
    TTerminalFolders found;
    found.Folders = std::move(discovered.Terminals);
    found.DataFolders = std::move(discovered.DataFolders);
    found.Unticked = std::move(discovered.OthersOnly);
    if (found.Folders.empty()) {
        found.Folders.push_back(places.ProgramFiles.front() + "\\MetaTrader 4");
        found.Default = true;
    }
    return found;
}

TTerminalFolders FindMetaTraderFolders() {
    return FindMetaTraderFolders(TerminalPlaces());
}

void TFormInstaller::ListMetaTraderFolders() {
    ListMetaTraderFolders(TerminalPlaces());
}

void TFormInstaller::ListMetaTraderFolders(const TTerminalPlaces& places) {
    if (FFoldersListed)
        return;
    ListMetaTrader.Clear();
    TTerminalFolders found = FindMetaTraderFolders(places);
    for (const std::string& folder : found.Folders) {
        const bool unticked =
            std::find(found.Unticked.begin(), found.Unticked.end(), folder) != found.Unticked.end();
        ListMetaTrader.Add(ui::Widen(folder), !unticked);
    }
    FDataFolders = std::move(found.DataFolders);
    if (found.Default)
        ui::ShowMessage(Handle(), ui::TMessageKind::Warning, MsgNoTerminal);
    FFoldersListed = true;
}

bool NoMetaTraderRunning() {
    return FindWindowW(L"MetaQuotes::MetaTrader::4.00", nullptr) == nullptr;
}

void TFormInstaller::BtnAddMetaTraderClick() {
    std::string folder = GetSystemFolder(sfProgramFiles, false);
    if (BrowseForFolder(Handle(), "Select MetaTrader Folder", {}, folder))
        ListMetaTrader.Add(ui::Widen(folder), true);
}

} // namespace ko

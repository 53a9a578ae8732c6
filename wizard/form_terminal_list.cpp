// The destination page's terminal list: the terminals the engine offers, and folders the user
// adds by hand.
#include "base/win32_util.h"
#include "engine/sys_folders.h"
#include "ui/message_box.h"
#include "wizard/browse_folder.h"
#include "wizard/form_installer.h"

namespace ko {

namespace {

const wchar_t MsgNoTerminal[] =
    L"We cannot find any MetaTrader folder in this computer.\rWe add a default folder so you "
    L"can continue with the installation,\rand install MetaTrader later.";

} // namespace

void TFormInstaller::ListMetaTraderFolders() {
    ListMetaTraderFolders(TerminalPlaces());
}

void TFormInstaller::ListMetaTraderFolders(const TTerminalPlaces& places) {
    if (FFoldersListed)
        return;
    ListMetaTrader.Clear();
    TTerminalOffer offer = OfferTerminals(places);
    for (const TTerminal& terminal : offer.Terminals)
        ListMetaTrader.Add(Wide(terminal.Folder), terminal.Preselected());
    FDataFolders = std::move(offer.DataFolders);
    if (offer.Default)
        ui::ShowMessage(Handle(), ui::TMessageKind::Warning, MsgNoTerminal);
    FFoldersListed = true;
}

void TFormInstaller::BtnAddMetaTraderClick() {
    std::string folder = GetSystemFolder(sfProgramFiles, false);
    if (BrowseForFolder(Handle(), "Select MetaTrader Folder", {}, folder))
        ListMetaTrader.Add(Wide(folder), true);
}

} // namespace ko

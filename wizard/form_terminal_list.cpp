// The destination page's terminal list: the terminals the engine offers, and folders the user
// adds by hand.
#include "base/win32_util.h"
#include "engine/sys_folders.h"
#include "ui/message_box.h"
#include "wizard/browse_folder.h"
#include "wizard/form_installer.h"

namespace ko {

namespace {

// Between the platform and the folder of an item.
const std::wstring PlatformSeparator = L" - ";

} // namespace

void TFormInstaller::ListMetaTraderFolders() {
    ListMetaTraderFolders(TerminalPlaces());
}

void TFormInstaller::ListMetaTraderFolders(const TTerminalPlaces& places) {
    if (FFoldersListed)
        return;
    ListMetaTrader.Clear();
    TTerminalOffer offer = OfferTerminals(places, FPlatforms);
    for (const TTerminal& terminal : offer.Terminals)
        AddTerminal(terminal.Folder, terminal.Platform, terminal.Preselected());
    FDataFolders = std::move(offer.DataFolders);
    if (offer.Default)
        ui::ShowMessage(Handle(), ui::TMessageKind::Warning, Text("message.no_terminal"));
    FFoldersListed = true;
}

void TFormInstaller::BtnAddMetaTraderClick() {
    // A package for MT5 alone starts where 64-bit terminals install.
    std::string folder = FPlatforms == ForMT5 ? TerminalPlaces().ProgramFiles.back()
                                              : GetSystemFolder(sfProgramFiles, false);
    if (!BrowseForFolder(Handle(), FTexts("page.folder.browse_title"), {}, folder))
        return;
    // The run would leave such a terminal alone: better said while another can still be chosen.
    const TPlatform platform = ChosenPlatform(folder, FPlatforms);
    if (!(FPlatforms & PlatformFlag(platform))) {
        ui::ShowMessage(Handle(), ui::TMessageKind::Error,
                        Text(platform == TPlatform::MT4 ? "message.no_files_for_mt4"
                                                        : "message.no_files_for_mt5"));
        return;
    }
    AddTerminal(folder, platform, true);
}

void TFormInstaller::AddTerminal(const std::string& folder, TPlatform platform, bool checked) {
    std::wstring text = Wide(folder);
    if (ShowsPlatforms())
        text = Wide(PlatformName(platform)) + PlatformSeparator + text;
    ListMetaTrader.Add(text, checked);
}

std::string TFormInstaller::ListedFolder(int index) const {
    std::wstring text = ListMetaTrader.Text(index);
    if (ShowsPlatforms())
        for (const TPlatform platform : {TPlatform::MT4, TPlatform::MT5}) {
            const std::wstring prefix = Wide(PlatformName(platform)) + PlatformSeparator;
            if (text.compare(0, prefix.size(), prefix) == 0)
                return Utf8(text.substr(prefix.size()));
        }
    return Utf8(text);
}

} // namespace ko

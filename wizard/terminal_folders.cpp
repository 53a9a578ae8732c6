// The destination page: the MetaTrader terminals found under Program Files, folders the user
// adds by hand, and the test for a running terminal.
#include "wizard/terminal_folders.h"
#include "engine/sys_folders.h"
#include "ui/message_box.h"
#include "ui/text.h"
#include "wizard/browse_folder.h"
#include "wizard/form_installer.h"

namespace ko {

namespace {

const wchar_t MsgNoTerminal[] =
    L"We cannot find any MetaTrader folder in this computer.\rWe add a default folder so you "
    L"can continue with the installation,\rand install MetaTrader later.";

bool FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

TTerminalFolders FindMetaTraderFolders(const std::string& programFiles) {
    TTerminalFolders found;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((programFiles + "\\*.*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = entry.cFileName;
            // Hidden and system folders are left out, as a plain directory search leaves
            // them out.
            if (entry.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
                continue;
            if (name == "." || name == ".." || !(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                continue;
            const std::string folder = programFiles + "\\" + name;
            if (FileExists(folder + "\\terminal.exe"))
                found.Folders.push_back(folder);
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    if (found.Folders.empty()) {
        found.Folders.push_back(programFiles + "\\MetaTrader 4");
        found.Default = true;
    }
    return found;
}

void TFormInstaller::ListMetaTraderFolders() {
    ListMetaTraderFolders(GetSystemFolder(sfProgramFiles, false));
}

void TFormInstaller::ListMetaTraderFolders(const std::string& programFiles) {
    if (FFoldersListed)
        return;
    ListMetaTrader.Clear();
    const TTerminalFolders found = FindMetaTraderFolders(programFiles);
    for (const std::string& folder : found.Folders)
        ListMetaTrader.Add(ui::Widen(folder), true);
    if (found.Default)
        ui::ShowMessage(Handle(), ui::TMessageKind::Warning, MsgNoTerminal);
    FFoldersListed = true;
}

bool NoMetaTraderRunning() {
    return FindWindowA("MetaQuotes::MetaTrader::4.00", nullptr) == nullptr;
}

void TFormInstaller::BtnAddMetaTraderClick() {
    std::string folder = GetSystemFolder(sfProgramFiles, false);
    if (BrowseForFolder(Handle(), "Select MetaTrader Folder", {}, folder))
        ListMetaTrader.Add(ui::Widen(folder), true);
}

} // namespace ko

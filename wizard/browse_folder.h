// The shell's folder-browse dialog.
#pragma once

#include <windows.h>

#include <string>

namespace ko {

// Lets the user choose a file-system folder below Root (the desktop when empty), starting at
// Folder when that names an existing directory. Returns true with Folder set to the choice;
// false when the user cancelled or the shell could not be used. The program's other windows
// take no input meanwhile.
bool BrowseForFolder(HWND owner, const std::string& title, const std::wstring& root,
                     std::string& folder);

// The dialog's callback: selects the start folder (Data, a UTF-16 path) once the dialog is
// ready. Returns 0.
int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM param, LPARAM data);

} // namespace ko

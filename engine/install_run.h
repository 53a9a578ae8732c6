// The install run (TKoInstall::Execute, defined here) and the steps it is made of that the
// wizard and the tests call on their own.
#pragma once

#include "package/ko_data.h"

#include <string>

namespace ko {

// Program Files + "\" + ProductName: where "{app}" points and the uninstaller goes.
std::string ProgramFolder(const TKoData& data);
// The all-users programs menu + "\" + ProductName: the product's shortcuts.
std::string MenuFolder(const TKoData& data);

// Writes one product document as lines ended by CR LF (the text split at CR, LF or CR LF) and a
// shortcut to it, reporting both and recording both for removal. An empty text writes nothing.
void InstallTextFile(TKoInstall& data, const std::string& filePath, const std::string& linkPath,
                     const std::string& text);

// Writes an internet shortcut ("[InternetShortcut]", "URL=" + Address, an empty line, each ended
// by CR LF) and records it for removal. An empty Address, or a bare "mailto:" or "http://",
// writes nothing.
void CreateUrlShortcut(TKoInstall& data, const std::string& path, const std::string& address);

// The address of the web-site shortcut: Website trimmed, with "http://" put in front unless it
// already starts with a scheme such as "http://" or "https://" (any letter case). "" when the
// trimmed text is empty.
std::string WebsiteAddress(const std::string& website);

// Writes ExePath (the package file's stub followed by the uninstall log of everything recorded so
// far, its shortcut LinkPath included) through a ".tmp" file beside it, registers it and writes
// its shortcut. Failures while writing the file are swallowed, a leftover ".tmp" removed; a
// registry value that cannot be set throws "Failed to set data for '<value>'".
void CreateUninstaller(TKoInstall& data, const std::string& exePath, const std::string& linkPath);

} // namespace ko

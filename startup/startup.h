// Start-up: which mode the program runs in, loading its data (with the fallback to a temporary
// copy for installers that cannot be opened where they lie) and handing it to the wizard.
#pragma once

#include "base/ui_texts.h"
#include "engine/load_installer.h"
#include "engine/product_lock.h"
#include "package/ko_data.h"
#include "wizard/form_installer.h"

#include <windows.h>

#include <memory>
#include <string>

namespace ko {

// Picks the mode from the running program's file name, loads the data appended to the program
// file, takes the product's Lock and hands the data to Form, which shows its first page (its
// window stays hidden until Show). False when the installer could not be loaded or another run
// of the product holds the lock (Busy is then set): the user has been told and there is no
// window. A damaged package or an uninstaller that cannot be opened raises. Language is the tag
// /LANG asked for, empty without one.
bool FormCreate(TFormInstaller& form, TProductLock& lock, bool& busy, const std::string& language);

// The texts for the command line's message boxes (a fault, /?) in the language asked for
// (Language, /LANG's tag, or the user's), among the translations of the package or log in
// ExePath, which Data keeps; English when it cannot be read.
TUiTexts CommandLineTexts(const std::string& exePath, bool uninstall, const std::string& language,
                          std::unique_ptr<TKoData>& data);

// True when the file-name part of Path is "Uninstall.exe" in any letter case; the folder
// plays no part.
bool IsUninstallName(const std::string& path);

} // namespace ko

// Start-up: which mode the program runs in, loading its data (with the fallback to a temporary
// copy for installers that cannot be opened where they lie) and handing it to the wizard.
#pragma once

#include "engine/private_folder.h"
#include "engine/product_lock.h"
#include "package/ko_data.h"
#include "wizard/form_installer.h"

#include <windows.h>

#include <memory>
#include <string>

namespace ko {

inline constexpr char MsgCannotExecute[] =
    "Cannot execute the installer. If you run it from a network drive, \r\nplease copy it to a "
    "local folder first and retry from there.";

// Picks the mode from the running program's file name, loads the data appended to the program
// file, takes the product's Lock and hands the data to Form, which shows its first page (its
// window stays hidden until Show). False when the installer could not be loaded or another run
// of the product holds the lock (Busy is then set): the user has been told and there is no
// window. A damaged package or an uninstaller that cannot be opened raises.
bool FormCreate(TFormInstaller& form, TProductLock& lock, bool& busy);

// True when the file-name part of Path is "Uninstall.exe" in any letter case; the folder
// plays no part.
bool IsUninstallName(const std::string& path);

// Loads Install from ExePath. When the file cannot be opened, copies it into a new private
// folder of the temporary folder (CopyFolder, which the caller keeps until Install is gone: its
// destructor removes the copy) and loads that copy. Returns false when neither loads; other
// load errors (a damaged package) propagate.
bool LoadInstallWithFallback(TKoInstall& install, const std::string& exePath,
                             std::unique_ptr<TPrivateFolder>& copyFolder);

} // namespace ko

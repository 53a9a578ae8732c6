// Loading the install package appended to the installer's own file, with the fallback to a
// temporary copy for installers that cannot be opened where they lie: the wizard and the
// unattended install load it alike.
#pragma once

#include "engine/private_folder.h"
#include "package/ko_data.h"

#include <memory>
#include <string>

namespace ko {

// What the user is told when neither the file nor a copy of it loads.
inline constexpr char MsgCannotExecute[] =
    "Cannot execute the installer. If you run it from a network drive, \r\nplease copy it to a "
    "local folder first and retry from there.";

// Loads Install from ExePath. When the file cannot be opened, copies it into a new private
// folder of the temporary folder (CopyFolder, which the caller keeps until Install is gone: its
// destructor removes the copy) and loads that copy. Returns false when neither loads; other
// load errors (a damaged package) propagate, records that do not match their digest as
// EDamagedInstaller.
bool LoadInstallWithFallback(TKoInstall& install, const std::string& exePath,
                             std::unique_ptr<TPrivateFolder>& copyFolder);

} // namespace ko

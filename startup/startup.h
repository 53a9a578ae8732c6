// Start-up: which mode the program runs in, and loading the install data with the fallback to
// a temporary copy for installers that cannot be opened where they lie.
#pragma once

#include "package/ko_data.h"

#include <windows.h>

#include <string>

namespace ko {

inline constexpr char MsgCannotExecute[] =
    "Cannot execute the installer. If you run it from a network drive, \r\nplease copy it to a "
    "local folder first and retry from there.";

// The running program's full path.
std::string ExecutablePath();

// True when the file-name part of Path is "Uninstall.exe" in any letter case; the folder
// plays no part.
bool IsUninstallName(const std::string& path);

// Loads Install from ExePath. When the file cannot be opened, copies it to a time-stamped
// ".dat" file in the temporary folder (named after Now) and loads that copy. Returns false when
// neither loads; other load errors (a damaged package) propagate.
bool LoadInstallWithFallback(TKoInstall& install, const std::string& exePath,
                             const SYSTEMTIME& now);

} // namespace ko

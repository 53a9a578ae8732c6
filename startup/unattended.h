// The unattended install and uninstall (/S): the wizard's runs without any window or message
// box, their lines in the log file when there is one, the outcome in the exit code.
#pragma once

#include "base/log_file.h"

#include <string>
#include <vector>

namespace ko {

// Loads the package from ExePath (with the wizard's fallback to a temporary copy); unless a
// terminal runs, runs the items of stage 0, the install run and the items of stage 3, as the
// wizard would. The run goes into Terminals, or, when there are none, into the terminals the
// destination page would list and tick. Returns the exit code; Log (may be null) receives the
// run's lines and the message of whatever ended it. Language, /LANG's tag or empty for the
// user's, is the one the uninstall log records for the uninstaller to speak.
int RunSilentInstall(const std::string& exePath, const std::vector<std::string>& terminals,
                     const std::string& language, TLogFile* log);

// Loads the uninstall log from ExePath; unless a terminal runs, runs the uninstall and then
// starts the removal of ExePath and its folder, as Finish does. Returns the exit code.
int RunSilentUninstall(const std::string& exePath, TLogFile* log);

} // namespace ko

// Time-stamped names in the temporary folder, for the installer's fallback copy and the
// uninstaller's self-removal script.
#pragma once

#include <windows.h>

#include <string>

namespace ko {

// The temporary folder as GetTempPathW reports it, with its trailing backslash.
std::string TempFolder();

// Folder + the local time as "yyyymmddhhnnsszzz" (17 digits) + Extension (".dat", ".bat").
std::string TimeStampedName(const std::string& folder, const SYSTEMTIME& time,
                            const std::string& extension);

} // namespace ko

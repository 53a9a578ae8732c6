// The uninstaller's removal of itself: it cannot delete its own file while it runs, so it
// leaves a small batch file in a folder of its own in the temporary folder that deletes the file
// once the process has ended, then the folder, then itself.
#pragma once

#include <string>

namespace ko {

// How many times the batch file tries to delete the uninstaller, about a second apart, before
// it gives up: the process normally ends within a second, and a file that stays locked or
// write-protected for minutes will not come free.
inline constexpr int SelfDeleteTries = 180;

// The batch file's text (8-bit, lines ended by CR LF) that deletes ExePath, retrying while it
// is still in use, then removes ExePath's folder when RemoveFolder is set (only an empty folder
// goes), then deletes BatchPath itself. Every path stands in double quotes, in the OEM code page
// that cmd reads batch files in, or in its short form when that code page cannot hold it; so
// ExePath and BatchPath must exist.
std::string SelfDeleteScript(const std::string& exePath, const std::string& batchPath,
                             bool removeFolder);

// Writes that batch file, as a new file, into a private folder of the temporary folder (see
// TPrivateFolder) and starts it hidden at idle priority through the system's cmd, which removes
// the folder once the script has ended. True when the batch process was started; nothing is
// reported.
bool StartSelfDelete(const std::string& exePath, bool removeFolder);

} // namespace ko

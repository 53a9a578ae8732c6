// The uninstaller's removal of itself: it cannot delete its own file while it runs, so it moves
// the file out of the way, into a folder of its own in the temporary folder, and leaves a small
// batch file there that deletes it once the process has ended, then the program folder when
// empty, then itself. The batch never names the uninstaller's own path: a Setup started right
// after the uninstall writes its new Uninstall.exe there, while the batch may still be waiting.
#pragma once

#include <string>

namespace ko {

// How many times the batch file tries to delete the uninstaller, about a second apart, before
// it gives up: the process normally ends within a second, and a file that stays locked or
// write-protected for minutes will not come free.
inline constexpr int SelfDeleteTries = 180;

// The batch file's text (8-bit, lines ended by CR LF) that deletes ExePath, retrying while it
// is still in use, then removes Folder unless it is "" (only an empty folder goes), then deletes
// BatchPath itself. Every path stands in double quotes, in the OEM code page that cmd reads batch
// files in, or in its short form when that code page cannot hold it; so ExePath, Folder and
// BatchPath must exist.
std::string SelfDeleteScript(const std::string& exePath, const std::string& batchPath,
                             const std::string& folder);

// Moves the running uninstaller at ExePath into a private folder of the temporary folder (see
// TPrivateFolder), or, where that folder is on another volume, to a name of its own beside
// ExePath that no install writes; with RemoveFolder, removes ExePath's folder if that leaves it
// empty. Then writes the batch file that deletes the moved file, as a new file, into the private
// folder and starts it hidden at idle priority through the system's cmd, which removes the
// private folder once the script has ended; the batch removes ExePath's folder too when it could
// not go yet. True when the batch process was started; nothing is reported. A file that cannot
// be moved at all stays where it is: deleting it by its name could delete a later install's.
bool StartSelfDelete(const std::string& exePath, bool removeFolder);

} // namespace ko

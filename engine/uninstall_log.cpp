#include "engine/uninstall_log.h"

#include "engine/file_utils.h"

#include <set>
#include <string>

namespace ko {

namespace {

// Each folder goes before the first folder already placed that holds it, so that a folder is
// empty of its subfolders when its turn comes.
void PlaceFolder(std::vector<TUninstallEntry>& folders, const TUninstallEntry& folder) {
    for (auto it = folders.begin(); it != folders.end(); ++it) {
        if (FolderHolds(it->Path, folder.Path)) {
            folders.insert(it, folder);
            return;
        }
    }
    folders.push_back(folder);
}

} // namespace

std::vector<TUninstallEntry> MergeUninstallLog(const std::vector<TUninstallEntry>& current,
                                               const TKoUninstall& earlier,
                                               TFunctionRef<bool(const TUninstallEntry&)> exists) {
    std::vector<TUninstallEntry> all = current;
    for (const std::string& file : earlier.FileList)
        all.push_back({file, false});
    for (const std::string& folder : earlier.FolderList)
        all.push_back({folder, true});

    std::set<std::string> seen;
    std::vector<TUninstallEntry> files, folders;
    for (size_t i = 0; i < all.size(); ++i) {
        const TUninstallEntry& entry = all[i];
        const bool earlierOne = i >= current.size();
        if (entry.Path.empty() || (earlierOne && !exists(entry)) ||
            !seen.insert(LowerPath(entry.Path)).second)
            continue;
        if (entry.Folder)
            PlaceFolder(folders, entry);
        else
            files.push_back(entry);
    }
    folders.insert(folders.end(), files.begin(), files.end());
    return folders;
}

} // namespace ko

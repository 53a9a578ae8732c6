#include "engine/uninstall_run.h"

#include "engine/uninstall_registry.h"
#include "package/windows_names.h"

#include <windows.h>

namespace ko {

void TKoUninstallRun::Execute() {
    Position = 0;
    Max = static_cast<int32_t>(Data.FileList.size() + Data.FolderList.size()) + 1;
    // The read-only attribute is left as it is: a file the user protected stays, with a warning.
    for (const std::string& file : Data.FileList) {
        Report("Delete file " + file + " ...", 1);
        if (!DeleteFileA(file.c_str()))
            Report("WARNING: Unable to delete file " + file + " ...", 0);
    }
    // Only empty folders go: whatever the user added keeps its folder.
    for (const std::string& folder : Data.FolderList) {
        Report("Remove folder " + folder + " ...", 1);
        RemoveDirectoryA(folder.c_str());
    }
    Report("Unregistering uninstaller ...", 1);
    // A log without a product name names no entry of its own.
    if (Data.ProductName.empty())
        Report("WARNING: The uninstall data names no product, so no registry entry is removed ...",
               0);
    else
        DeleteUninstallKey(ProductFolderName(Data.ProductName));
    Report("Done.", 1);
}

} // namespace ko

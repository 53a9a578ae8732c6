#include "engine/load_installer.h"

#include "base/errors.h"
#include "engine/file_utils.h"
#include "engine/system_codec.h"
#include "engine/temp_names.h"

#include <windows.h>

namespace ko {

bool LoadInstallWithFallback(TKoInstall& install, const std::string& exePath,
                             std::unique_ptr<TPrivateFolder>& copyFolder) {
    try {
        LoadData(install, exePath);
        return true;
    } catch (const EFOpenError&) {
        // Started from a network location the program file may refuse to be opened while
        // running; a local copy can still be read. It goes into a folder of its own, under a
        // name nobody could have prepared, and is read until the run ends.
    }
    try {
        auto folder = std::make_unique<TPrivateFolder>();
        SYSTEMTIME now;
        GetLocalTime(&now);
        const std::string copy = folder->NewFile(TimeStampedName("", now, ".dat"));
        if (!CopyToNewFile(exePath, copy))
            return false;
        LoadData(install, copy);
        copyFolder = std::move(folder);
        return true;
    } catch (const EKoError&) {
        return false;
    }
}

} // namespace ko

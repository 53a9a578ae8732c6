#include "engine/load_installer.h"

#include "base/errors.h"
#include "engine/damaged_installer.h"
#include "engine/file_utils.h"
#include "engine/system_codec.h"
#include "engine/temp_names.h"

#include <windows.h>

namespace ko {

namespace {

void LoadInstall(TKoInstall& install, const std::string& file) {
    LoadData(install, file);
    if (install.RecordsDamaged) {
        install.Clear();
        throw EDamagedInstaller(MsgDamagedPackage);
    }
}

} // namespace

bool LoadInstallWithFallback(TKoInstall& install, const std::string& exePath,
                             std::unique_ptr<TPrivateFolder>& copyFolder) {
    try {
        LoadInstall(install, exePath);
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
        LoadInstall(install, copy);
        copyFolder = std::move(folder);
        return true;
    } catch (const EDamagedInstaller&) {
        throw;
    } catch (const EKoError&) {
        return false;
    }
}

} // namespace ko

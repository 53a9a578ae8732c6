#include "startup/startup.h"

#include "base/ascii_text.h"
#include "base/win32_util.h"
#include "engine/file_utils.h"
#include "engine/system_codec.h"
#include "package/windows_names.h"
#include "ui/message_box.h"

namespace ko {

namespace {

// Before anything of the run happens, stage 0 included.
bool Lock(const TKoData& data, TProductLock& lock, bool& busy) {
    const std::string name = ProductFolderName(data.ProductName);
    busy = !lock.Acquire(name);
    if (busy)
        ui::ShowMessage(nullptr, ui::TMessageKind::Error, Wide(TProductLock::Message(name)));
    return !busy;
}

bool PrepareInstall(TFormInstaller& form, const std::string& exePath, TProductLock& lock,
                    bool& busy) {
    auto install = std::make_unique<TKoInstall>();
    std::unique_ptr<TPrivateFolder> copyFolder;
    if (!LoadInstallWithFallback(*install, exePath, copyFolder)) {
        ui::ShowMessage(nullptr, ui::TMessageKind::Error, Wide(MsgCannotExecute));
        return false;
    }
    if (!Lock(*install, lock, busy))
        return false;
    form.CreateForInstall(std::move(install), std::move(copyFolder));
    // Before the window shows and before any check for a running terminal.
    form.RunStage(0);
    return true;
}

bool PrepareUninstall(TFormInstaller& form, const std::string& exePath, TProductLock& lock,
                      bool& busy) {
    auto uninstall = std::make_unique<TKoUninstall>();
    LoadData(*uninstall, exePath);
    if (!Lock(*uninstall, lock, busy))
        return false;
    form.CreateForUninstall(std::move(uninstall));
    return true;
}

} // namespace

bool FormCreate(TFormInstaller& form, TProductLock& lock, bool& busy) {
    busy = false;
    const std::string exePath = RunningProgramPath();
    if (IsUninstallName(exePath))
        return PrepareUninstall(form, exePath, lock, busy);
    return PrepareInstall(form, exePath, lock, busy);
}

bool IsUninstallName(const std::string& path) {
    const size_t slash = path.find_last_of("\\/:");
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return SameText(name, "uninstall.exe");
}

} // namespace ko

#include "startup/startup.h"

#include "base/ascii_text.h"
#include "base/win32_util.h"
#include "engine/file_utils.h"
#include "engine/system_codec.h"
#include "package/windows_names.h"
#include "ui/message_box.h"
#include "wizard/language_choice.h"

namespace ko {

namespace {

// Before anything of the run happens, stage 0 included.
// The form's window does not exist yet, but its language is chosen.
bool Lock(const TKoData& data, const TFormInstaller& form, TProductLock& lock, bool& busy) {
    const std::string name = ProductFolderName(data.ProductName);
    busy = !lock.Acquire(name);
    if (busy)
        ui::ShowMessage(nullptr, ui::TMessageKind::Error,
                        Wide(form.Texts()("message.another_run", {{"folder", name}})));
    return !busy;
}

bool PrepareInstall(TFormInstaller& form, const std::string& exePath, TProductLock& lock,
                    bool& busy, const std::string& language) {
    auto install = std::make_unique<TKoInstall>();
    std::unique_ptr<TPrivateFolder> copyFolder;
    if (!LoadInstallWithFallback(*install, exePath, copyFolder)) {
        ui::ShowMessage(nullptr, ui::TMessageKind::Error, Wide(MsgCannotExecute));
        return false;
    }
    form.Language = WantedLanguage(language, {});
    form.ChooseTexts(*install);
    if (!Lock(*install, form, lock, busy))
        return false;
    form.CreateForInstall(std::move(install), std::move(copyFolder));
    // Before the window shows and before any check for a running terminal.
    form.RunStage(0);
    return true;
}

bool PrepareUninstall(TFormInstaller& form, const std::string& exePath, TProductLock& lock,
                      bool& busy, const std::string& language) {
    auto uninstall = std::make_unique<TKoUninstall>();
    LoadData(*uninstall, exePath);
    form.Language = WantedLanguage(language, uninstall->Language);
    form.ChooseTexts(*uninstall);
    if (!Lock(*uninstall, form, lock, busy))
        return false;
    form.CreateForUninstall(std::move(uninstall));
    return true;
}

} // namespace

bool FormCreate(TFormInstaller& form, TProductLock& lock, bool& busy, const std::string& language) {
    busy = false;
    const std::string exePath = RunningProgramPath();
    if (IsUninstallName(exePath))
        return PrepareUninstall(form, exePath, lock, busy, language);
    return PrepareInstall(form, exePath, lock, busy, language);
}

TUiTexts CommandLineTexts(const std::string& exePath, bool uninstall, const std::string& language,
                          std::unique_ptr<TKoData>& data) {
    // What was asked for must be told even when the package is damaged: in English then.
    try {
        if (uninstall)
            data = std::make_unique<TKoUninstall>();
        else
            data = std::make_unique<TKoInstall>();
        LoadData(*data, exePath);
        const TUiTexts texts =
            TextsOf(ChooseTranslation(data->Languages, WantedLanguage(language, data->Language)));
        UseMessageCaptions(texts);
        return texts;
    } catch (const std::exception&) {
        return {};
    }
}

bool IsUninstallName(const std::string& path) {
    const size_t slash = path.find_last_of("\\/:");
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return SameText(name, "uninstall.exe");
}

} // namespace ko

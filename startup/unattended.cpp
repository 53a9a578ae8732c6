#include "startup/unattended.h"

#include "engine/damaged_installer.h"
#include "engine/file_utils.h"
#include "engine/install_run.h"
#include "engine/load_installer.h"
#include "engine/product_lock.h"
#include "engine/run_items.h"
#include "engine/running_terminal.h"
#include "engine/self_delete.h"
#include "engine/system_codec.h"
#include "engine/terminal_discovery.h"
#include "engine/uninstall_run.h"
#include "package/terminal_platform.h"
#include "package/windows_names.h"
#include "startup/command_line.h"
#include "wizard/language_choice.h"

#include <windows.h>

#include <exception>

namespace ko {

namespace {

const char MsgTerminalRunning[] =
    "A MetaTrader terminal is running. Close it and start again; nothing was installed or "
    "removed.";

void Write(TLogFile* log, const std::string& line) {
    if (log)
        log->WriteLine(line);
}

TKoProgressEvent LogLines(TLogFile* log) {
    return [log](TKoRun&, const std::string& text, int) { Write(log, text); };
}

// The terminals the run goes into, with the data folders discovered for them as the wizard
// hands them over.
void ChooseTerminals(TKoInstallRun& run, const std::vector<std::string>& terminals) {
    TTerminalOffer offer = OfferTerminals(TerminalPlaces(), PackagePlatforms(run.Data));
    run.DataFolders = std::move(offer.DataFolders);
    if (terminals.empty()) {
        // Those the destination page would tick: another user's terminal only when named.
        for (TTerminal& terminal : offer.Terminals)
            if (terminal.Preselected())
                run.TerminalFolders.push_back(std::move(terminal.Folder));
        return;
    }
    for (const std::string& folder : terminals)
        // A folder the uninstall log will list: relative to the current folder it would be
        // taken relative to wherever the uninstaller happens to run.
        run.TerminalFolders.push_back(FullPathName(folder));
}

// Why the loaded Data is not to be run, as an exit code, or ExitDone with the product's Lock
// taken. A program without its package or log loads as empty data: installing that would make
// Program Files itself the program folder, and uninstalling it would name no product's registry
// entry. Platforms are those of the terminals the run writes into.
int Refusal(const TKoData& data, TPlatforms platforms, TProductLock& lock, const char* what,
            const std::string& exePath, TLogFile* log) {
    if (data.ProductName.empty()) {
        Write(log, std::string("No ") + what + " found in \"" + exePath + "\".");
        return ExitBadCommandLine;
    }
    const std::string name = ProductFolderName(data.ProductName);
    if (!lock.Acquire(name)) {
        Write(log, TProductLock::Message(name));
        return ExitAnotherRun;
    }
    if (!NoMetaTraderRunning(platforms)) {
        Write(log, MsgTerminalRunning);
        return ExitTerminalRunning;
    }
    return ExitDone;
}

// The install run between the run items of stages 0 and 3, whose lines, as in the wizard, are
// reported to no one. An error of stage 0 leaves the install undone; stage 3 runs in any case,
// as it does whenever the wizard's window closes.
int InstallStages(TKoInstall& data, const std::vector<std::string>& terminals, TLogFile* log) {
    int result = ExitDone;
    try {
        TKoInstallRun start(data);
        RunStage(start, 0);
        TKoInstallRun run(data);
        ChooseTerminals(run, terminals);
        run.OnProgress = LogLines(log);
        run.Execute();
        if (run.Warnings > 0)
            result = ExitDoneWithWarnings;
    } catch (const std::exception& e) {
        Write(log, e.what());
        result = ExitRunFailed;
    }
    try {
        TKoInstallRun close(data);
        RunStage(close, 3);
    } catch (const std::exception& e) {
        Write(log, e.what());
        result = ExitRunFailed;
    }
    return result;
}

} // namespace

int RunSilentInstall(const std::string& exePath, const std::vector<std::string>& terminals,
                     const std::string& language, TLogFile* log) {
    // Declared first, so that it goes after the data that reads the copy in it.
    std::unique_ptr<TPrivateFolder> copyFolder;
    TKoInstall data;
    try {
        if (!LoadInstallWithFallback(data, exePath, copyFolder)) {
            Write(log, MsgCannotExecute);
            return ExitBadCommandLine;
        }
    } catch (const EDamagedInstaller& e) {
        // As when a file's data turns out damaged during the run, only earlier.
        Write(log, e.what());
        return ExitRunFailed;
    } catch (const std::exception& e) {
        Write(log, e.what());
        return ExitBadCommandLine;
    }
    // Nothing is shown, but the uninstaller's wizard will speak what the install would have.
    data.Language = TextsOf(ChooseTranslation(data.Languages, WantedLanguage(language, {}))).Tag();
    TProductLock lock;
    if (const int refused =
            Refusal(data, PackagePlatforms(data), lock, "install package", exePath, log))
        return refused;
    return InstallStages(data, terminals, log);
}

int RunSilentUninstall(const std::string& exePath, TLogFile* log) {
    TKoUninstall data;
    try {
        LoadData(data, exePath);
    } catch (const std::exception& e) {
        Write(log, e.what());
        return ExitBadCommandLine;
    }
    TProductLock lock;
    if (const int refused =
            Refusal(data, LoggedPlatforms(data), lock, "uninstall log", exePath, log))
        return refused;
    TKoUninstallRun run(data);
    run.OnProgress = LogLines(log);
    try {
        run.Execute();
    } catch (const std::exception& e) {
        Write(log, e.what());
        return ExitRunFailed;
    }
    data.ReleaseFile();
    StartSelfDelete(exePath, true);
    return run.Warnings > 0 ? ExitDoneWithWarnings : ExitDone;
}

} // namespace ko

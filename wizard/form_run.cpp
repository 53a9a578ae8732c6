// The progress page's run, the finish page's offer to start a terminal, and what Finish does.
#include "base/errors.h"
#include "base/win32_util.h"
#include "engine/common_ini.h"
#include "engine/damaged_installer.h"
#include "engine/file_utils.h"
#include "engine/run_items.h"
#include "engine/self_delete.h"
#include "engine/uninstall_run.h"
#include "ui/message_box.h"
#include "wizard/form_installer.h"
#include "wizard/form_layout.h"
#include "wizard/mode_texts.h"
#include "wizard/user_launch.h"

#include <algorithm>
#include <exception>

namespace ko {

namespace {

// Clears a flag when the scope ends, also on an exception.
struct TFlagScope {
    bool& Flag;
    explicit TFlagScope(bool& flag) : Flag(flag) { Flag = true; }
    ~TFlagScope() { Flag = false; }
};

// The run on a thread of its own, so that the window's thread stays free for the window. What
// ends it with an error is carried back as its message, and a damaged file's target.
struct TRunThread {
    TKoRun& Run;
    bool Failed = false;
    std::string Error;
    std::string DamagedFile;

    static DWORD WINAPI Main(void* parameter) {
        auto& self = *static_cast<TRunThread*>(parameter);
        // Shortcuts are written through the shell's objects, which need COM on this thread.
        const HRESULT com = CoInitialize(nullptr);
        try {
            self.Run.Execute();
        } catch (const EDamagedInstaller& e) {
            self.Failed = true;
            self.Error = e.what();
            self.DamagedFile = e.File;
        } catch (const std::exception& e) {
            self.Failed = true;
            self.Error = e.what();
        } catch (...) {
            self.Failed = true;
            self.Error = "Unexpected error";
        }
        if (SUCCEEDED(com))
            CoUninitialize();
        return 0;
    }
};

} // namespace

LRESULT TFormInstaller::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // While the engine waits for a run item it lets the window take input, the close box
    // included. Closing then would free the install data under the running engine: the close
    // waits until the run has returned.
    if (message == WM_CLOSE && FRunning)
        return 0;
    return TForm::HandleMessage(message, wParam, lParam);
}

void TFormInstaller::StartRun() {
    try {
        TFlagScope running(FRunning);
        if (FUninstallMode)
            RunUninstall();
        else
            RunInstall();
    } catch (const EDamagedInstaller& e) {
        RunFailed(e.what(), e.File.empty()
                                ? e.what()
                                : FTexts("message.checksum_mismatch", {{"file", e.File}}));
    } catch (const std::exception& e) {
        RunFailed(e.what(), e.what());
    }
}

void TFormInstaller::RunInstall() {
    TKoInstallRun run(*FInstall);
    ComboRun.Clear();
    for (int i = 0; i < ListMetaTrader.Count(); ++i) {
        if (!ListMetaTrader.Checked(i))
            continue;
        const std::string folder = ListedFolder(i);
        run.TerminalFolders.push_back(folder);
        // Looked at before the run: a terminal the run itself would put there is not offered.
        if (IsTerminal(folder))
            ComboRun.Add(Wide(folder));
    }
    run.DataFolders = FDataFolders;
    ExecuteRun(run, &run.Mt5OptionsToTick);
    const bool offer = ComboRun.Count() > 0;
    CheckRun.SetChecked(offer);
    CheckRun.SetVisible(offer);
    ComboRun.SetVisible(offer);
    if (offer)
        ComboRun.SetItemIndex(0);
    FocusAfterPageChange();
}

void TFormInstaller::RunUninstall() {
    TKoUninstallRun run(*FUninstall);
    ExecuteRun(run);
    FocusAfterPageChange();
}

void TFormInstaller::ExecuteRun(TKoRun& run, const unsigned* mt5Options) {
    run.OnProgress = [this](TKoRun& sender, const std::string& text, int percent) {
        ReportProgress(sender, text, percent);
    };
    // The run's thread has no window: while it waits for a run item, it only takes its own
    // messages.
    SetMessagePump(nullptr);
    TRunThread work{run};
    const HANDLE thread = CreateThread(nullptr, 0, TRunThread::Main, &work, 0, nullptr);
    if (!thread)
        TRunThread::Main(&work);
    // The window answers while the run works: every message is taken as it comes and the
    // run's lines are shown every FFlushInterval. Closing stays refused meanwhile.
    FFlushInterval = layout::ProgressInterval;
    while (thread) {
        const DWORD woke =
            MsgWaitForMultipleObjects(1, &thread, FALSE, layout::ProgressInterval, QS_ALLINPUT);
        ProcessPendingMessages();
        if (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED)
            break;
        // Every message wakes this loop; the log takes the lines only every FFlushInterval,
        // since each addition to a long log costs the more the longer it is.
        if (FlushDue())
            FlushProgress();
    }
    if (thread) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
    FlushProgress();
    if (work.Failed && !work.DamagedFile.empty())
        throw EDamagedInstaller::StoredFile(work.DamagedFile);
    if (work.Failed)
        throw EKoError(work.Error);
    ProgressBar1.SetPosition(layout::ProgressMax);
    // The boxes to tick in MT5 are what the trader must act on; the log, one Prev away, holds
    // the other warnings as well.
    if (run.Warnings > 0)
        LabelFinish2.SetCaption(
            LabelFinish2.Caption() + L"\r\n\r\n" +
            Wide(mt5Options && *mt5Options
                     ? Mt5OptionsNote(*mt5Options, FInstall->ProductName, FTexts)
                     : FinishWarningNote(FUninstallMode, run.Warnings)));
    FRunDone = true;
    BtnNext.SetEnabled(true);
}

void TFormInstaller::ReportProgress(TKoRun&, const std::string& text, int percent) {
    if (Log)
        Log->WriteLine(text);
    bool due = false;
    {
        TLock lock(FPendingLock);
        FPendingLines.push_back(Wide(text));
        FPendingPercent = percent;
        due = FlushDue();
    }
    // Only the window's own thread touches the window; the run's thread leaves the lines to it.
    if (due && GetCurrentThreadId() == GetWindowThreadProcessId(Handle(), nullptr))
        FlushProgress();
}

void TFormInstaller::FlushProgress() {
    std::vector<std::wstring> lines;
    int percent = 0;
    {
        TLock lock(FPendingLock);
        lines.swap(FPendingLines);
        percent = FPendingPercent;
        FLastFlush = GetTickCount();
    }
    if (lines.empty())
        return;
    const DWORD start = GetTickCount();
    MemoProgress.AddLines(lines);
    // The bar keeps to its range by itself: the engine's percentage may pass 100.
    ProgressBar1.SetPosition(percent);
    UpdateWindow(Handle());
    const DWORD cost = GetTickCount() - start;
    TLock lock(FPendingLock);
    FFlushInterval = std::max<DWORD>(layout::ProgressInterval, cost * layout::ProgressShare);
}

bool TFormInstaller::FlushDue() const {
    return GetTickCount() - FLastFlush >= FFlushInterval;
}

void TFormInstaller::FinishAction() {
    if (FUninstallMode) {
        if (FUninstall)
            FUninstall->ReleaseFile();
        StartSelfDelete(RunningProgramPath(), true);
        return;
    }
    const std::wstring folder = ComboRun.Text();
    if (CheckRun.Checked() && !folder.empty())
        OpenAsUser(Wide(TerminalProgram(Utf8(folder))), [this](const std::string& line) {
            if (Log)
                Log->WriteLine(line);
        });
}

void TFormInstaller::RunFailed(const std::string& error, const std::string& message) {
    // Next, Prev and Cancel stay disabled: the run cannot be repeated, and only the close box is
    // left. The error ends the log, after what the rollback reported; the log stays English.
    FRunFailed = true;
    if (Log)
        Log->WriteLine(error);
    MemoProgress.AddLines({Wide(error)});
    ui::ShowErrorText(Handle(), message);
}

void TFormInstaller::RunStage(int stage) {
    try {
        // Nothing watches these items: their lines are reported to no one.
        TKoInstallRun run(*FInstall);
        ko::RunStage(run, stage);
    } catch (const std::exception& e) {
        // At close the window is already gone.
        ui::ShowErrorText(IsWindow(Handle()) ? Handle() : nullptr, e.what());
    }
}

} // namespace ko

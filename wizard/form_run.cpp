// The progress page's run, the finish page's offer to start a terminal, and what Finish does.
#include "engine/file_utils.h"
#include "engine/run_items.h"
#include "engine/uninstall_run.h"
#include "ui/message_box.h"
#include "ui/text.h"
#include "wizard/form_installer.h"
#include "wizard/form_layout.h"
#include "wizard/self_delete.h"

#include <shellapi.h>

#include <exception>

namespace ko {

namespace {

// Clears a flag when the scope ends, also on an exception.
struct TFlagScope {
    bool& Flag;
    explicit TFlagScope(bool& flag) : Flag(flag) { Flag = true; }
    ~TFlagScope() { Flag = false; }
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
    } catch (const std::exception& e) {
        // Next, Prev and Cancel stay disabled: what was done is on the disk, the run cannot
        // be repeated, and only the close box is left.
        if (Log)
            Log->WriteLine(e.what());
        ui::ShowErrorText(Handle(), e.what());
    }
}

void TFormInstaller::RunInstall() {
    TKoInstallRun run(*FInstall);
    ComboRun.Clear();
    for (int i = 0; i < ListMetaTrader.Count(); ++i) {
        if (!ListMetaTrader.Checked(i))
            continue;
        const std::string folder = ui::Narrow(ListMetaTrader.Text(i));
        run.TerminalFolders.push_back(folder);
        // Looked at before the run: a terminal the run itself would put there is not offered.
        if (FileExists(folder + "\\terminal.exe"))
            ComboRun.Add(ListMetaTrader.Text(i));
    }
    run.DataFolders = FDataFolders;
    ExecuteRun(run);
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

void TFormInstaller::ExecuteRun(TKoRun& run) {
    run.OnProgress = [this](TKoRun& sender, const std::string& text, int percent) {
        ReportProgress(sender, text, percent);
    };
    // While a run item runs, the window shows every line reported before it.
    SetMessagePump([this] {
        FlushProgress();
        ProcessPendingMessages();
    });
    try {
        run.Execute();
    } catch (...) {
        // The error box comes next: the log shows everything up to the failure first.
        SetMessagePump(nullptr);
        FlushProgress();
        throw;
    }
    SetMessagePump(nullptr);
    FlushProgress();
    ProgressBar1.SetPosition(layout::ProgressMax);
    FRunDone = true;
    BtnNext.SetEnabled(true);
}

void TFormInstaller::ReportProgress(TKoRun&, const std::string& text, int percent) {
    if (Log)
        Log->WriteLine(text);
    FPendingLines.push_back(ui::Widen(text));
    FPendingPercent = percent;
    if (GetTickCount() - FLastFlush >= layout::ProgressInterval)
        FlushProgress();
}

void TFormInstaller::FlushProgress() {
    if (FPendingLines.empty())
        return;
    MemoProgress.AddLines(FPendingLines);
    FPendingLines.clear();
    // The bar keeps to its range by itself: the engine's percentage may pass 100.
    ProgressBar1.SetPosition(FPendingPercent);
    UpdateWindow(Handle());
    FLastFlush = GetTickCount();
}

void TFormInstaller::FinishAction() {
    if (FUninstallMode) {
        StartSelfDelete(RunningProgramPath(), true);
        return;
    }
    const std::wstring folder = ComboRun.Text();
    if (CheckRun.Checked() && !folder.empty())
        ShellExecuteA(nullptr, "open", ui::Narrow(folder + L"\\terminal.exe").c_str(), nullptr,
                      nullptr, SW_SHOW);
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

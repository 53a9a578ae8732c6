#include "engine/run_items.h"

#include "base/file_stream.h"
#include "base/win32_util.h"
#include "engine/file_utils.h"
#include "engine/sys_folders.h"

#include <windows.h>

namespace ko {

namespace {

std::function<void()> MessagePump;
bool RunItemRunning = false;

constexpr DWORD WaitSlice = 200;

// Marks the wait for a process, also when the pump throws.
struct TRunningMark {
    TRunningMark() { RunItemRunning = true; }
    ~TRunningMark() { RunItemRunning = false; }
};

void StartAndWait(const std::string& program, const std::string& parameters) {
    // The first token is a placeholder: the program is named by the application name, and the
    // started program only looks at what follows it.
    std::wstring commandLine = Wide("x " + parameters);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const std::wstring folder = Wide(ExtractFileDir(program));
    if (!CreateProcessW(Wide(program).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, folder.empty() ? nullptr : folder.c_str(), &startup, &process))
        return;
    {
        TRunningMark mark;
        while (WaitForSingleObject(process.hProcess, WaitSlice) == WAIT_TIMEOUT) {
            if (MessagePump)
                MessagePump();
            else
                ProcessPendingMessages();
        }
    }
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
}

void RunOne(TKoInstallRun& run, TStream& package, const TVariables& variables,
            const TKoInstallExec& exec) {
    const std::string program =
        exec.External ? ExpandPath(exec.Path, variables) : ExpandTarget(exec.Path, variables);
    // That user may replace the program, or put a library beside it that it loads, at any time:
    // started from there it would run their code as the administrator.
    if (run.Transaction.Guard().Guards(program)) {
        run.Report("WARNING: Not executing \"" + exec.Title + "\": " + program +
                       " is in another user's profile ...",
                   1);
        return;
    }
    if (!exec.External) {
        ClearReadOnly(program);
        const TStoredWrite written =
            run.StoredData.Write(run.Transaction, package, exec, run.Data.Key, program);
        if (written == TStoredWrite::TimesNotSet)
            run.Report(LogLine("WARNING: Unable to set the time of ", program), 0);
    }
    if (FileExists(program)) {
        run.Report(LogLine("Executing ", exec.Title), 1);
        run.StartedItems.push_back(exec.Title);
        StartAndWait(program, exec.Parameters);
    } else {
        run.Report("WARNING: Unable to execute \"" + exec.Title + "\". File doesn't exist ...", 1);
    }
}

} // namespace

void CheckStoredTargets(const TKoInstall& data, const TVariables& variables, int32_t stage) {
    for (const auto& exec : data.Execs)
        if (exec->Stage == static_cast<uint8_t>(stage) && !exec->External)
            ExpandTarget(exec->Path, variables);
}

void RunExecs(TKoInstallRun& run, TStream& package, const TVariables& variables, int32_t stage) {
    CheckStoredTargets(run.Data, variables, stage);
    for (const auto& exec : run.Data.Execs)
        if (exec->Stage == static_cast<uint8_t>(stage))
            RunOne(run, package, variables, *exec);
}

void RunStage(TKoInstallRun& run, int32_t stage) {
    TVariables variables;
    FillVariables(run.Data, variables);
    TStream& package = run.Data.File();
    // Outside an install run nothing is undone: what the items did stays, whatever happens.
    try {
        RunExecs(run, package, variables, stage);
    } catch (...) {
        run.Transaction.Commit();
        throw;
    }
    run.Transaction.Commit();
}

void SetMessagePump(std::function<void()> pump) {
    MessagePump = std::move(pump);
}

void ProcessPendingMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool IsRunItemRunning() {
    return RunItemRunning;
}

} // namespace ko

#include "wizard/self_delete.h"

#include "base/errors.h"
#include "engine/file_utils.h"
#include "engine/temp_names.h"

#include <windows.h>

namespace ko {

namespace {

// cmd expands %...% even inside double quotes; a doubled percent sign stands for itself in a
// batch file, so a product named "100% EA" keeps its path.
std::string BatchQuoted(const std::string& path) {
    std::string quoted = "\"";
    for (char c : path) {
        quoted += c;
        if (c == '%')
            quoted += '%';
    }
    return quoted + "\"";
}

} // namespace

std::string SelfDeleteScript(const std::string& exePath, const std::string& batchPath,
                             bool removeFolder) {
    const std::string exe = BatchQuoted(exePath);
    // The uninstaller's process still holds its file when the batch starts; retry until it
    // has ended, pausing about a second between tries (ping is the pause every Windows has),
    // and give up after a few minutes rather than spin for ever on a file that never frees.
    std::string script = "set tries=0\r\n"
                         ":repeat\r\n"
                         "del " +
                         exe +
                         "\r\n"
                         "if not exist " +
                         exe +
                         " goto removed\r\n"
                         "set /a tries+=1\r\n"
                         "if %tries% geq " +
                         std::to_string(SelfDeleteTries) +
                         " goto removed\r\n"
                         "ping -n 2 127.0.0.1 >nul\r\n"
                         "goto repeat\r\n"
                         ":removed\r\n";
    if (removeFolder)
        script += "rmdir " + BatchQuoted(ExtractFilePath(exePath)) + "\r\n";
    script += "del " + BatchQuoted(batchPath) + "\r\n";
    return script;
}

bool StartSelfDelete(const std::string& exePath, bool removeFolder) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    const std::string batchPath = TimeStampedName(TempFolder(), now, ".bat");
    try {
        WriteWholeFile(batchPath, SelfDeleteScript(exePath, batchPath, removeFolder));
    } catch (const EKoError&) {
        return false;
    }

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process = {};
    std::string commandLine = "\"" + batchPath + "\"";
    const std::string folder = ExtractFilePath(batchPath);
    // Suspended until its priority is lowered, so that it never competes with the ending
    // uninstaller for the processor.
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                        CREATE_SUSPENDED | IDLE_PRIORITY_CLASS, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process))
        return false;
    SetThreadPriority(process.hThread, THREAD_PRIORITY_IDLE);
    CloseHandle(process.hProcess);
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);
    return true;
}

} // namespace ko

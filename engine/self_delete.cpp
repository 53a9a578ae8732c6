#include "engine/self_delete.h"

#include "base/errors.h"
#include "base/file_stream.h"
#include "base/win32_util.h"
#include "engine/file_utils.h"
#include "engine/private_folder.h"
#include "engine/sys_folders.h"
#include "engine/temp_names.h"

#include <windows.h>

#include <algorithm>
#include <optional>

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

// Text in the OEM code page. When Exact, nothing unless the code page holds every character:
// the text must come back unchanged, since a best-fit letter ("I" for "\xCF") names another file.
std::optional<std::string> ToOem(const std::wstring& text, bool exact) {
    const int size = WideCharToMultiByte(CP_OEMCP, 0, text.data(), int(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string oem(size_t(std::max(size, 0)), '\0');
    WideCharToMultiByte(CP_OEMCP, 0, text.data(), int(text.size()), oem.data(), size, nullptr,
                        nullptr);
    if (!exact)
        return oem;
    std::wstring back(oem.size(), L'\0');
    back.resize(size_t(std::max(MultiByteToWideChar(CP_OEMCP, 0, oem.data(), int(oem.size()),
                                                    back.data(), int(back.size())),
                                0)));
    if (back != text)
        return std::nullopt;
    return oem;
}

// cmd reads a batch file in the OEM code page, not in the UTF-8 the paths come in: "Café" must
// be written with the OEM code of its "é". A path with characters the OEM code page lacks
// (a Cyrillic name on a Western system) is written in its 8.3 short form, which is ASCII; so
// the file must exist. Should even that fail (short names turned off on the volume), the path
// is written as near as the code page allows, and the file stays behind.
std::string BatchPath(const std::string& path) {
    const std::wstring wide = Wide(path);
    if (std::optional<std::string> oem = ToOem(wide, true))
        return *oem;
    const DWORD needed = GetShortPathNameW(wide.c_str(), nullptr, 0);
    std::wstring shortPath(needed, L'\0');
    const DWORD length = needed ? GetShortPathNameW(wide.c_str(), shortPath.data(), needed) : 0;
    shortPath.resize(length < needed ? length : 0);
    if (!shortPath.empty())
        if (std::optional<std::string> oem = ToOem(shortPath, true))
            return *oem;
    return *ToOem(wide, false);
}

} // namespace

std::string SelfDeleteScript(const std::string& exePath, const std::string& batchPath,
                             const std::string& folder) {
    const std::string exe = BatchQuoted(BatchPath(exePath));
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
    if (!folder.empty())
        script += "rmdir " + BatchQuoted(BatchPath(IncludeTrailingDelimiter(folder))) + "\r\n";
    script += "del " + BatchQuoted(BatchPath(batchPath)) + "\r\n";
    return script;
}

namespace {

// Starts the batch file hidden, suspended until its priority is lowered, so that it never
// competes with the ending uninstaller for the processor. The system's own cmd runs it, named
// in full: a bare command would be looked for beside the uninstaller first. After the script
// it removes the script's folder, which it could not while it still read the script. Its
// current folder is the system folder, so that the commands of the script (ping) are found
// there and not in the temporary folder, where anyone could put a program of that name.
bool StartHidden(const std::string& batchPath, const std::string& folder) {
    const std::string system = GetSystemFolder(sfSystem, false);
    const std::string cmd = system + "\\cmd.exe";
    std::wstring commandLine =
        Wide("cmd.exe /c \"\"" + batchPath + "\" & rmdir \"" + folder + "\"\"");
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(Wide(cmd).c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        CREATE_SUSPENDED | IDLE_PRIORITY_CLASS, nullptr, Wide(system).c_str(),
                        &startup, &process))
        return false;
    SetThreadPriority(process.hThread, THREAD_PRIORITY_IDLE);
    CloseHandle(process.hProcess);
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);
    return true;
}

// A running program's file can be renamed, though not deleted, within its volume. Moved into
// Folder it is out of the way of any later install; where Folder is on another volume, a name
// of the private folders' kind beside it serves as well. "" when neither rename worked (the
// file stays where it is).
std::string MoveAside(const std::string& exePath, TPrivateFolder& folder) {
    const std::string inFolder = folder.NewFile(ExtractFileName(exePath));
    // No copy allowed: a copy would leave the running file itself where it is.
    if (MoveFileExW(Wide(exePath).c_str(), Wide(inFolder).c_str(), 0))
        return inFolder;
    try {
        const std::string beside = ExtractFilePath(exePath) + PrivateFolderName() + ".tmp";
        if (MoveFileExW(Wide(exePath).c_str(), Wide(beside).c_str(), 0))
            return beside;
    } catch (const EKoError&) {
    }
    return {};
}

} // namespace

bool StartSelfDelete(const std::string& exePath, bool removeFolder) {
    try {
        TPrivateFolder folder;
        const std::string moved = MoveAside(exePath, folder);
        if (moved.empty())
            return false;
        // The program folder goes now, while this process still keeps every other run of the
        // product waiting (TProductLock); the batch's later try might meet the next install's
        // new folder.
        const std::string programFolder = ExtractFileDir(exePath);
        const bool folderLeft = removeFolder && !RemoveFolder(programFolder);
        try {
            SYSTEMTIME now;
            GetLocalTime(&now);
            const std::string batchPath = folder.NewFile(TimeStampedName("", now, ".bat"));
            {
                // New, never over an existing file; open while the script is made, since the
                // script may name it by its short path, which only a file has.
                TFileStream batch(batchPath, TFileMode::CreateNew);
                const std::string script =
                    SelfDeleteScript(moved, batchPath, folderLeft ? programFolder : "");
                batch.WriteBuffer(script.data(), static_cast<int64_t>(script.size()));
            }
            if (StartHidden(batchPath, folder.Path())) {
                folder.Keep();
                return true;
            }
        } catch (const EKoError&) {
        }
        // Without the batch the file goes back where it was, rather than stay unseen in the
        // temporary folder (or under a strange name).
        CreateDirectoryW(Wide(programFolder).c_str(), nullptr);
        MoveFileExW(Wide(moved).c_str(), Wide(exePath).c_str(), 0);
        return false;
    } catch (const EKoError&) {
        return false;
    }
}

} // namespace ko

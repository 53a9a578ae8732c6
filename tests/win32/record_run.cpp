// A run item for the engine tests: appends how it was started (its command line and its current
// folder, one line each) to its own path + ".txt". With "wait" on the command line it first runs
// for 700 ms, long enough for the engine's wait to go through several slices.
#include <windows.h>

#include <cstring>
#include <initializer_list>

int main() {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH - 5);
    std::strcat(self, ".txt");
    const char* commandLine = GetCommandLineA();
    if (std::strstr(commandLine, "wait"))
        Sleep(700);
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    const HANDLE log = CreateFileA(self, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written;
    for (const char* part : {commandLine, "\r\n", static_cast<const char*>(folder), "\r\n"})
        WriteFile(log, part, static_cast<DWORD>(std::strlen(part)), &written, nullptr);
    CloseHandle(log);
    return 0;
}

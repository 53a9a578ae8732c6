// A DLL that only says it was loaded: planted beside Setup.exe and Uninstall.exe under the names
// of system DLLs, it writes NAME.loaded beside itself (NAME its own file name) in whatever
// process loads it, and loads no further.
#include <windows.h>

#include <string>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(instance, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return FALSE;
    const std::wstring marker = std::wstring(path, length) + L".loaded";
    const HANDLE file = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    // Refused, so that the program goes on with the system's own DLL when it can.
    return FALSE;
}

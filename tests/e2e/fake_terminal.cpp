// A stand-in for the MetaTrader terminal in the end-to-end scenarios: the MT4 one, or the MT5
// one when the copy is named terminal64.exe (its window then has the MT5 terminal's class).
//
//   fake_terminal --window              opens a top-level window of the terminal's class and
//                                       runs until it is closed (a running terminal)
//   fake_terminal --window --message error|warning TEXT
//                                       the same, plus a message box of that kind (the driver's
//                                       own check of how it reads message boxes)
//   fake_terminal --hold FILE           creates FILE and keeps it open without sharing its
//                                       deletion, until the process is ended
//   fake_terminal --wait FILE           creates FILE.waiting, then waits until FILE exists: a
//                                       run item that lets a scenario act in the middle of a run
//   fake_terminal [ARG...]              installed as terminal(64).exe: writes ran.txt next to
//   itself
//                                       with its command line and current folder, and ends
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// The program's own file name, without its folder.
std::wstring OwnName() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring full = path;
    return full.substr(full.find_last_of(L'\\') + 1);
}

bool IsMT5() {
    return _wcsicmp(OwnName().c_str(), L"terminal64.exe") == 0;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int RunWindow(HINSTANCE instance, const wchar_t* kind, const wchar_t* text) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    const bool mt5 = IsMT5();
    const wchar_t* terminalClass =
        mt5 ? L"MetaQuotes::MetaTrader::5.00" : L"MetaQuotes::MetaTrader::4.00";
    windowClass.lpszClassName = terminalClass;
    RegisterClassW(&windowClass);
    HWND window =
        CreateWindowW(terminalClass, mt5 ? L"Fake MetaTrader 5" : L"Fake MetaTrader 4",
                      WS_OVERLAPPEDWINDOW, 0, 0, 320, 200, nullptr, nullptr, instance, nullptr);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    if (kind) {
        const bool error = wcscmp(kind, L"error") == 0;
        MessageBoxW(window, text, error ? L"Error" : L"Warning",
                    MB_OK | (error ? MB_ICONERROR : MB_ICONWARNING));
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

// Leaves proof of the start for a scenario to read: the command line and the current folder.
int RecordRun() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring marker = path;
    marker = marker.substr(0, marker.find_last_of(L'\\') + 1) + L"ran.txt";
    wchar_t folder[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, folder);
    FILE* out = _wfopen(marker.c_str(), L"w");
    if (!out)
        return 1;
    fwprintf(out, L"command line: %ls\ncurrent folder: %ls\n", GetCommandLineW(), folder);
    fclose(out);
    return 0;
}

// A file in use, as a running terminal holds its own files: others may read it but not delete
// or replace it.
int HoldFile(const wchar_t* path) {
    HANDLE file = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    Sleep(INFINITE);
    return 0;
}

int WaitForFile(const std::wstring& path) {
    CloseHandle(CreateFileW((path + L".waiting").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    for (int i = 0; i < 1200 && GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(100);
    return 0;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc >= 2 && wcscmp(argv[1], L"--window") == 0) {
        const bool message = argc >= 5 && wcscmp(argv[2], L"--message") == 0;
        return RunWindow(instance, message ? argv[3] : nullptr, message ? argv[4] : nullptr);
    }
    if (argc >= 3 && wcscmp(argv[1], L"--hold") == 0)
        return HoldFile(argv[2]);
    if (argc >= 3 && wcscmp(argv[1], L"--wait") == 0)
        return WaitForFile(argv[2]);
    return RecordRun();
}

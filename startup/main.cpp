// The program entry: picks the mode from the program's own name, loads the data appended to
// the program file and runs the window until it closes.
#include "base/errors.h"
#include "startup/startup.h"

#include <objbase.h>
#include <windows.h>

#include <cstdlib>
#include <memory>
#include <string>

using namespace ko;

namespace {

std::wstring Widen(const std::string& text) {
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(n, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), wide.data(), n);
    return wide;
}

void ShowError(const std::string& message) {
    MessageBoxW(nullptr, Widen(message).c_str(), L"Error", MB_OK | MB_ICONERROR);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int RunWindow(HINSTANCE instance, const std::string& caption) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"TFormInstaller";
    RegisterClassW(&windowClass);
    RECT area = {0, 0, 513, 368};
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    AdjustWindowRect(&area, style, FALSE);
    HWND window = CreateWindowW(L"TFormInstaller", Widen(caption).c_str(), style, CW_USEDEFAULT,
                                CW_USEDEFAULT, area.right - area.left, area.bottom - area.top,
                                nullptr, nullptr, instance, nullptr);
    ShowWindow(window, SW_SHOW);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

int Run(HINSTANCE instance) {
    const std::string exePath = ExecutablePath();
    if (IsUninstallName(exePath)) {
        TKoUninstall uninstall;
        uninstall.LoadFromFile(exePath);
        return RunWindow(instance, "Uninstall - " + uninstall.ProductName);
    }
    TKoInstall install;
    SYSTEMTIME now;
    GetLocalTime(&now);
    if (!LoadInstallWithFallback(install, exePath, now)) {
        MessageBoxA(nullptr, MsgCannotExecute, "Error", MB_OK | MB_ICONERROR);
        return 1;
    }
    return RunWindow(instance, "Install - " + install.ProductName);
}

} // namespace

// The default terminate handler prints the demangled type of the exception, and the demangler
// is 46 KB of every Setup.exe. Nothing here can print to a console anyway: exceptions are shown
// in message boxes, so an uncaught one ends the program plainly.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    CoInitialize(nullptr);
    int result = 1;
    try {
        result = Run(instance);
    } catch (const std::exception& e) {
        ShowError(e.what());
    }
    CoUninitialize();
    return result;
}

// A stand-in for a running terminal in the tests: a top-level window of the terminal's class,
// which is all the running-terminal checks look for.
#pragma once

#include <windows.h>

namespace kotest {

// Opens a window of ClassName ("MetaQuotes::MetaTrader::4.00" or "...5.00"), registering the
// class on first use; the caller destroys it.
inline HWND OpenTerminalWindow(const char* className) {
    WNDCLASSA terminalClass = {};
    terminalClass.lpfnWndProc = DefWindowProcA;
    terminalClass.hInstance = GetModuleHandleA(nullptr);
    terminalClass.lpszClassName = className;
    RegisterClassA(&terminalClass);
    return CreateWindowA(className, "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                         terminalClass.hInstance, nullptr);
}

} // namespace kotest

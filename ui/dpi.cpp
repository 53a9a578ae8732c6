#include "ui/dpi.h"

#include "ui/window.h"

namespace ko::ui {

namespace {

// The per-DPI functions came with Windows 10 (1607): looked up rather than linked, so that the
// stub still starts on older systems.
template <class T>
T UserFunction(const char* name) {
    return reinterpret_cast<T>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : BaseDpi;
}

} // namespace

int Scale(int value, int dpi) {
    return dpi == BaseDpi ? value : MulDiv(value, dpi, BaseDpi);
}

TRect Scale(const TRect& rect, int dpi) {
    const int left = Scale(rect.Left, dpi), top = Scale(rect.Top, dpi);
    return {left, top, Scale(rect.Left + rect.Width, dpi) - left,
            Scale(rect.Top + rect.Height, dpi) - top};
}

int WindowDpi(HWND window) {
    using TGetDpiForWindow = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = UserFunction<TGetDpiForWindow>("GetDpiForWindow");
    const UINT dpi = getDpiForWindow && window ? getDpiForWindow(window) : 0;
    return dpi ? int(dpi) : ScreenDpi();
}

int SystemDpi() {
    using TGetDpiForSystem = UINT(WINAPI*)();
    static const auto getDpiForSystem = UserFunction<TGetDpiForSystem>("GetDpiForSystem");
    const UINT dpi = getDpiForSystem ? getDpiForSystem() : 0;
    return dpi ? int(dpi) : ScreenDpi();
}

void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi) {
    using TAdjust = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const auto adjust = UserFunction<TAdjust>("AdjustWindowRectExForDpi");
    if (!adjust || !adjust(&rect, style, FALSE, exStyle, UINT(dpi)))
        AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

} // namespace ko::ui

#include "ui/form.h"

#include "ui/dpi.h"

#include <algorithm>

namespace ko::ui {

namespace {

constexpr DWORD FormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD FormExStyle = WS_EX_CONTROLPARENT;

struct TFontSwap {
    std::vector<std::pair<HFONT, HFONT>> Fonts; // old, new
    int Dpi;
};

BOOL CALLBACK SwapFont(HWND child, LPARAM data) {
    const auto* swap = reinterpret_cast<const TFontSwap*>(data);
    const auto font = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
    for (const auto& [old, made] : swap->Fonts)
        if (font == old)
            SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(made), FALSE);
    return TRUE;
}

BOOL CALLBACK RescaleChild(HWND child, LPARAM data) {
    if (TWindow* window = TWindow::FromHandle(child))
        window->Rescale(reinterpret_cast<const TFontSwap*>(data)->Dpi);
    return TRUE;
}

} // namespace

void TForm::Create(const std::wstring& caption, int clientWidth, int clientHeight, TFont* font) {
    FClientWidth = clientWidth;
    FClientHeight = clientHeight;
    FDpi = SystemDpi();
    if (FDpi != BaseDpi)
        for (TFont* each : FFonts)
            DeleteObject(each->SetDpi(FDpi));
    const DWORD style = FormStyle;
    const DWORD exStyle = FormExStyle;
    RECT area = {0, 0, Scale(clientWidth, FDpi), Scale(clientHeight, FDpi)};
    AdjustWindowRectForDpi(area, style, exStyle, FDpi);
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    // Centred; on a screen too small for it, its title bar stays on the screen.
    const TRect bounds = {
        std::max<int>(work.left, work.left + (work.right - work.left - width) / 2),
        std::max<int>(work.top, work.top + (work.bottom - work.top - height) / 2), width, height};
    CreateContainer(L"KoContainer", nullptr, 0, bounds, style, exStyle, caption.c_str());
    if (font)
        SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(font->Handle()), FALSE);
}

void TForm::ApplyDpi(int dpi) {
    TFontSwap swap{{}, dpi};
    for (TFont* font : FFonts) {
        const HFONT old = font->SetDpi(dpi);
        swap.Fonts.push_back({old, font->Handle()});
    }
    SwapFont(FHandle, reinterpret_cast<LPARAM>(&swap));
    EnumChildWindows(FHandle, SwapFont, reinterpret_cast<LPARAM>(&swap));
    FDpi = dpi;
    Rescale(dpi);
    EnumChildWindows(FHandle, RescaleChild, reinterpret_cast<LPARAM>(&swap));
    for (const auto& fonts : swap.Fonts)
        DeleteObject(fonts.first);
    PlaceForDpi(nullptr);
    RedrawWindow(FHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// The window keeps its client size in 96-DPI pixels: its frame is sized for that at the new
// DPI, at Suggested's top-left corner when Windows suggests a place, else where it is. Should
// the frame be drawn for another DPI than asked (Wine draws it at the system's), the size is
// corrected by what the client area lacks.
void TForm::PlaceForDpi(const RECT* suggested) {
    const int width = Scale(FClientWidth, FDpi), height = Scale(FClientHeight, FDpi);
    RECT area = {0, 0, width, height};
    AdjustWindowRectForDpi(area, FormStyle, FormExStyle, FDpi);
    RECT now;
    GetWindowRect(FHandle, &now);
    const RECT& at = suggested ? *suggested : now;
    SetWindowPos(FHandle, nullptr, at.left, at.top, area.right - area.left, area.bottom - area.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client;
    GetClientRect(FHandle, &client);
    if (client.right != width || client.bottom != height)
        SetWindowPos(FHandle, nullptr, 0, 0, area.right - area.left + width - client.right,
                     area.bottom - area.top + height - client.bottom,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::Show() {
    if (const int dpi = WindowDpi(FHandle); dpi != FDpi)
        ApplyDpi(dpi);
    // A window opened by a mouse click would hide the focus mark until the first key; someone
    // who uses the keyboard alone must see from the start where Enter and Space act.
    SendMessageW(FHandle, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    ShowWindow(FHandle, SW_SHOW);
    UpdateWindow(FHandle);
}

void TForm::Close() {
    SendMessageW(FHandle, WM_CLOSE, 0, 0);
}

void TForm::Repaint() {
    RedrawWindow(FHandle, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

LRESULT TForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case DM_GETDEFID:
        return DefaultButton ? MAKELRESULT(DefaultButton, DC_HASDEFID) : 0;
    case WM_DPICHANGED:
        ApplyDpi(HIWORD(wParam));
        PlaceForDpi(reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_ACTIVATE:
        // Like a dialog, the window gives the keyboard focus back to the control that had it
        // when the user returns from another window or a message box.
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            FFocus = focus && IsChild(FHandle, focus) ? focus : FFocus;
        }
        break;
    case WM_SETFOCUS: {
        HWND target = FFocus;
        if (!target || !IsWindow(target) || !IsWindowVisible(target) || !IsWindowEnabled(target))
            target = GetNextDlgTabItem(FHandle, nullptr, FALSE);
        if (target)
            SetFocus(target);
        return 0;
    }
    case WM_DESTROY:
        if (MainForm)
            PostQuitMessage(0);
        break;
    }
    return TContainer::HandleMessage(message, wParam, lParam);
}

} // namespace ko::ui

#include "ui/window.h"

#include "ui/container.h"

#include "ui/dpi.h"
#include "ui/message_box.h"

#include <commctrl.h>

#include <exception>

namespace ko::ui {

TWindow* TWindow::sCreating = nullptr;

void ReportException(HWND window) {
    try {
        throw;
    } catch (const std::exception& e) {
        ShowErrorText(GetAncestor(window, GA_ROOT), e.what());
    } catch (...) {
        ShowErrorText(GetAncestor(window, GA_ROOT), "Unexpected error");
    }
}

TWindow::~TWindow() {
    if (FHandle && IsWindow(FHandle) && FromHandle(FHandle) == this) {
        SetWindowLongPtrW(FHandle, GWLP_USERDATA, 0);
        DestroyWindow(FHandle);
    }
}

TWindow* TWindow::FromHandle(HWND handle) {
    return handle ? reinterpret_cast<TWindow*>(GetWindowLongPtrW(handle, GWLP_USERDATA)) : nullptr;
}

void TWindow::CreateHandle(const wchar_t* className, TContainer* parent, int id,
                           const TRect& bounds, DWORD style, DWORD exStyle, const wchar_t* caption,
                           void* createParam) {
    FLogicalBounds = bounds;
    if (parent)
        FDpi = parent->Dpi();
    const TRect place = parent ? Scale(bounds, FDpi) : bounds;
    sCreating = this;
    HWND parentHandle = parent ? parent->Handle() : nullptr;
    HMENU menu = parent ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)) : nullptr;
    HWND handle =
        CreateWindowExW(exStyle, className, caption, style, place.Left, place.Top, place.Width,
                        place.Height, parentHandle, menu, GetModuleHandleW(nullptr), createParam);
    sCreating = nullptr;
    if (!handle)
        return;
    FHandle = handle;
    SetWindowLongPtrW(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    if (parent && parent->Font())
        SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(parent->Font()), FALSE);
}

void TWindow::Subclass() {
    SetWindowSubclass(FHandle, SubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK TWindow::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR, DWORD_PTR data) {
    if (message == WM_NCDESTROY)
        RemoveWindowSubclass(window, SubclassProc, 1);
    else if (FromHandle(window))
        try {
            LRESULT result = 0;
            if (reinterpret_cast<TWindow*>(data)->SubclassMessage(message, wParam, lParam, result))
                return result;
        } catch (...) {
            ReportException(window);
            return 0;
        }
    return DefSubclassProc(window, message, wParam, lParam);
}

void TWindow::SetBounds(const TRect& bounds) {
    FLogicalBounds = bounds;
    const TRect place = Scale(bounds, FDpi);
    SetWindowPos(FHandle, nullptr, place.Left, place.Top, place.Width, place.Height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWindow::Rescale(int dpi) {
    FDpi = dpi;
    if (GetWindowLongW(FHandle, GWL_STYLE) & WS_CHILD)
        SetBounds(FLogicalBounds);
}

void TWindow::SetVisible(bool visible) {
    ShowWindow(FHandle, visible ? SW_SHOWNA : SW_HIDE);
}

bool TWindow::Visible() const {
    return (GetWindowLongW(FHandle, GWL_STYLE) & WS_VISIBLE) != 0;
}

void TWindow::SetEnabled(bool enabled) {
    EnableWindow(FHandle, enabled);
}

bool TWindow::Enabled() const {
    return IsWindowEnabled(FHandle) != FALSE;
}

void TWindow::SetCaption(const std::wstring& caption) {
    SetWindowTextW(FHandle, caption.c_str());
}

std::wstring TWindow::Caption() const {
    std::wstring text(GetWindowTextLengthW(FHandle) + 1, L'\0');
    text.resize(GetWindowTextW(FHandle, text.data(), int(text.size())));
    return text;
}

void TWindow::SetFont(HFONT font) {
    SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void TWindow::BringToFront() {
    SetWindowPos(FHandle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetVisible(true);
}

} // namespace ko::ui

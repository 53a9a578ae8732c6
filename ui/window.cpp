#include "ui/window.h"

#include "ui/dpi.h"
#include "ui/message_box.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <exception>
#include <iterator>

namespace ko::ui {

TWindow* TWindow::sCreating = nullptr;

namespace {

// No exception may unwind through Windows' own frames: whatever a handler throws ends here,
// as a message box, and the message counts as handled.
void ReportException(HWND window) {
    try {
        throw;
    } catch (const std::exception& e) {
        ShowErrorText(GetAncestor(window, GA_ROOT), e.what());
    } catch (...) {
        ShowErrorText(GetAncestor(window, GA_ROOT), "Unexpected error");
    }
}

const wchar_t ContainerClass[] = L"KoContainer";

void RegisterContainerClass(WNDPROC procedure) {
    static bool registered = false;
    if (registered)
        return;
    WNDCLASSW windowClass = {};
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
    windowClass.lpszClassName = ContainerClass;
    registered = RegisterClassW(&windowClass) != 0;
}

} // namespace

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

namespace {

HCURSOR ScreenCursors[4] = {};

} // namespace

HCURSOR ScreenCursor(int index) {
    return index > 0 && index < int(std::size(ScreenCursors)) ? ScreenCursors[index] : nullptr;
}

void SetScreenCursor(int index, HCURSOR cursor) {
    if (index > 0 && index < int(std::size(ScreenCursors)))
        ScreenCursors[index] = cursor;
}

void TGraphicControl::Rescale(int dpi) {
    Bounds = Scale(LogicalBounds, dpi);
}

void TGraphicControl::Invalidate() {
    if (FParent)
        FParent->InvalidateRect(Bounds);
}

void TContainer::SetColor(COLORREF color) {
    FBrush.SetColor(color);
    if (FHandle)
        ::InvalidateRect(FHandle, nullptr, TRUE);
}

void TContainer::InvalidateRect(const TRect& rect) {
    const RECT area = {rect.Left, rect.Top, rect.Left + rect.Width, rect.Top + rect.Height};
    ::InvalidateRect(FHandle, &area, TRUE);
}

void TContainer::AddGraphic(std::unique_ptr<TGraphicControl> control) {
    control->FParent = this;
    control->LogicalBounds = control->Bounds;
    control->Rescale(FDpi);
    FGraphics.push_back(std::move(control));
    FGraphics.back()->Invalidate();
}

void TContainer::Rescale(int dpi) {
    TWindow::Rescale(dpi);
    for (const auto& control : FGraphics)
        control->Rescale(dpi);
    ::InvalidateRect(FHandle, nullptr, TRUE);
}

void TContainer::CreateContainer(const wchar_t* className, TContainer* parent, int id,
                                 const TRect& bounds, DWORD style, DWORD exStyle,
                                 const wchar_t* caption) {
    RegisterContainerClass(WindowProc);
    CreateHandle(className, parent, id, bounds, style | WS_CLIPCHILDREN, exStyle, caption, this);
}

LRESULT CALLBACK TContainer::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        // The object is known from here on, so that the messages of creation reach it.
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = static_cast<TContainer*>(create->lpCreateParams);
        self->FHandle = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = static_cast<TContainer*>(FromHandle(window));
    if (!self)
        return DefWindowProcW(window, message, wParam, lParam);
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        ReportException(window);
        return 0;
    }
}

LRESULT TContainer::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (HandleChildNotification(message, wParam, lParam, result))
        return result;
    if (HandleMouse(message, wParam, lParam))
        return 0;
    switch (message) {
    case WM_SETFONT:
        FFont = reinterpret_cast<HFONT>(wParam);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(FFont);
    case WM_ERASEBKGND:
        EraseBackground(reinterpret_cast<HDC>(wParam));
        return 1;
    case WM_PAINT:
        Paint();
        return 0;
    case WM_CLOSE:
        // A multi-line edit posts WM_CLOSE to its parent on Escape, taking it for a dialog;
        // only the form itself closes.
        if (GetWindowLongW(FHandle, GWL_STYLE) & WS_CHILD)
            return 0;
        break;
    case WM_NCDESTROY:
        SetWindowLongPtrW(FHandle, GWLP_USERDATA, 0);
        break;
    }
    return DefWindowProcW(FHandle, message, wParam, lParam);
}

bool TContainer::HandleChildNotification(UINT message, WPARAM wParam, LPARAM lParam,
                                         LRESULT& result) {
    switch (message) {
    case WM_COMMAND:
        if (TWindow* child = FromHandle(reinterpret_cast<HWND>(lParam)); child && lParam)
            child->Command(HIWORD(wParam));
        return true;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (TWindow* child = FromHandle(item->hwndItem))
            child->DrawItem(*item);
        result = TRUE;
        return true;
    }
    case WM_MEASUREITEM: {
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        TWindow* child = FromHandle(GetDlgItem(FHandle, int(item->CtlID)));
        if (!child)
            child = sCreating;
        if (child)
            child->MeasureItem(*item);
        result = TRUE;
        return true;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        TWindow* child = FromHandle(reinterpret_cast<HWND>(lParam));
        HBRUSH brush = child ? child->ControlColor(dc) : nullptr;
        if (!brush) {
            SetBkColor(dc, FBrush.Color());
            SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
            brush = FBrush.Handle();
        }
        result = reinterpret_cast<LRESULT>(brush);
        return true;
    }
    case WM_VKEYTOITEM: {
        TWindow* child = FromHandle(reinterpret_cast<HWND>(lParam));
        result = child ? child->KeyToItem(LOWORD(wParam), HIWORD(wParam)) : -1;
        return true;
    }
    }
    return false;
}

TGraphicControl* TContainer::HitTest(POINT point) const {
    for (auto it = FGraphics.rbegin(); it != FGraphics.rend(); ++it) {
        const TRect& r = (*it)->Bounds;
        if ((*it)->Visible && point.x >= r.Left && point.x < r.Left + r.Width && point.y >= r.Top &&
            point.y < r.Top + r.Height)
            return it->get();
    }
    return nullptr;
}

bool TContainer::HandleMouse(UINT message, WPARAM, LPARAM lParam) {
    const POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_MOUSEMOVE: {
        TGraphicControl* hit = HitTest(point);
        if (hit != FHot) {
            if (FHot)
                FHot->MouseLeave();
            FHot = hit;
            TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, FHandle, 0};
            TrackMouseEvent(&track);
        }
        if (TGraphicControl* target = FCaptured ? FCaptured : hit)
            target->MouseMove(point);
        return true;
    }
    case WM_MOUSELEAVE:
        if (FHot && !FCaptured) {
            FHot->MouseLeave();
            FHot = nullptr;
        }
        return true;
    // Windowless controls, like the link label, react to every mouse button.
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_XBUTTONDOWN:
    case WM_XBUTTONDBLCLK:
        if (TGraphicControl* hit = HitTest(point)) {
            SetCapture(FHandle);
            FCaptured = hit;
            hit->MouseDown(point);
        }
        return true;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_XBUTTONUP:
        if (TGraphicControl* target = FCaptured ? FCaptured : HitTest(point)) {
            FCaptured = nullptr;
            ReleaseCapture();
            target->MouseUp(point);
        }
        return true;
    case WM_CAPTURECHANGED:
        FCaptured = nullptr;
        return true;
    case WM_SETCURSOR: {
        POINT cursor;
        GetCursorPos(&cursor);
        ScreenToClient(FHandle, &cursor);
        TGraphicControl* hit = LOWORD(lParam) == HTCLIENT ? HitTest(cursor) : nullptr;
        HCURSOR shape = hit ? hit->Cursor(cursor) : nullptr;
        if (!shape)
            return false;
        SetCursor(shape);
        return true;
    }
    }
    return false;
}

void TContainer::EraseBackground(HDC dc) {
    const TSavedDC saved(dc);
    for (const auto& control : FGraphics) {
        const TRect& r = control->Bounds;
        if (control->Visible && control->Opaque())
            ExcludeClipRect(dc, r.Left, r.Top, r.Left + r.Width, r.Top + r.Height);
    }
    RECT area;
    GetClientRect(FHandle, &area);
    FillRect(dc, &area, FBrush.Handle());
}

void TContainer::Paint() {
    TPaintScope scope(FHandle);
    const TSavedDC font(scope.DC);
    SelectObject(scope.DC, FFont ? FFont : GetStockObject(DEFAULT_GUI_FONT));
    for (const auto& control : FGraphics) {
        const TRect& r = control->Bounds;
        const RECT area = {r.Left, r.Top, r.Left + r.Width, r.Top + r.Height};
        RECT common;
        if (!control->Visible || !IntersectRect(&common, &area, &scope.Paint.rcPaint))
            continue;
        const TSavedDC clip(scope.DC);
        IntersectClipRect(scope.DC, area.left, area.top, area.right, area.bottom);
        control->Paint(scope.DC);
    }
}

void TPanel::Create(TContainer& parent, int id, const TRect& bounds, COLORREF color) {
    SetColor(color);
    // A control parent: Tab moves through the panel's controls as if they were the form's.
    CreateContainer(L"KoContainer", &parent, id, bounds, WS_CHILD | WS_VISIBLE, WS_EX_CONTROLPARENT,
                    L"");
}

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

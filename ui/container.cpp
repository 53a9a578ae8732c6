#include "ui/container.h"

#include <windowsx.h>

#include <algorithm>

namespace ko::ui {

namespace {

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

} // namespace ko::ui

#include "ui/controls.h"

#include "ui/dpi.h"
#include "ui/picture_scale.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>

namespace ko::ui {

namespace {

constexpr DWORD Child = WS_CHILD | WS_VISIBLE;

RECT ToRect(const TRect& r) {
    return {r.Left, r.Top, r.Left + r.Width, r.Top + r.Height};
}

// Windows picks the icon's image nearest the size and scales it; shared icons live as long
// as the program.
HICON IconResource(int id, int size) {
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                         IMAGE_ICON, size, size, LR_SHARED));
}

} // namespace

LRESULT ReadOnlyDialogCode(LRESULT code, LPARAM message) {
    // Tab, Shift+Tab and Ctrl+Tab leave the viewer: nothing can be typed into it.
    code &= ~DLGC_WANTTAB;
    const auto* msg = reinterpret_cast<const MSG*>(message);
    if (msg && msg->message == WM_KEYDOWN &&
        (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE || msg->wParam == VK_TAB))
        code &= ~(DLGC_WANTALLKEYS | DLGC_WANTMESSAGE);
    // Tabbing into a viewer must not select all of its text.
    return code & ~DLGC_HASSETSEL;
}

void TLabel::Create(TContainer& parent, int id, const TRect& bounds, const wchar_t* caption,
                    bool wordWrap) {
    const DWORD style = Child | SS_NOPREFIX | (wordWrap ? SS_LEFT : SS_LEFTNOWORDWRAP);
    CreateHandle(L"Static", &parent, id, bounds, style, 0, caption);
}

void TLabel::SetColor(COLORREF color) {
    FBrush = std::make_unique<TSolidBrush>(color);
    InvalidateRect(FHandle, nullptr, TRUE);
}

HBRUSH TLabel::ControlColor(HDC dc) {
    if (!FBrush)
        return nullptr;
    SetBkColor(dc, FBrush->Color());
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    return FBrush->Handle();
}

void TButton::CreateButton(TContainer& parent, int id, const TRect& bounds, const wchar_t* caption,
                           DWORD style) {
    CreateHandle(L"Button", &parent, id, bounds, Child | WS_TABSTOP | style, 0, caption);
}

void TButton::Create(TContainer& parent, int id, const TRect& bounds, const wchar_t* caption,
                     bool defaultButton) {
    CreateButton(parent, id, bounds, caption,
                 WS_GROUP | (defaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON));
}

void TButton::SetGlyph(int id, int size) {
    FGlyph = id;
    FGlyphSize = size;
    SendMessageW(FHandle, BM_SETIMAGE, IMAGE_ICON,
                 reinterpret_cast<LPARAM>(IconResource(id, Scale(size, FDpi))));
}

void TButton::Rescale(int dpi) {
    TWindow::Rescale(dpi);
    if (FGlyph)
        SetGlyph(FGlyph, FGlyphSize);
}

void TButton::Command(int code) {
    if (code == BN_CLICKED && OnClick)
        OnClick();
}

void TRadioButton::Create(TContainer& parent, int id, const TRect& bounds, const wchar_t* caption,
                          bool firstOfGroup) {
    CreateButton(parent, id, bounds, caption, BS_AUTORADIOBUTTON | (firstOfGroup ? WS_GROUP : 0));
}

bool TRadioButton::Checked() const {
    return SendMessageW(FHandle, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TRadioButton::SetChecked(bool checked) {
    SendMessageW(FHandle, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TCheckBox::Create(TContainer& parent, int id, const TRect& bounds, const wchar_t* caption) {
    CreateButton(parent, id, bounds, caption, BS_AUTOCHECKBOX | WS_GROUP);
}

bool TCheckBox::Checked() const {
    return SendMessageW(FHandle, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TCheckBox::SetChecked(bool checked) {
    SendMessageW(FHandle, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TMemo::Create(TContainer& parent, int id, const TRect& bounds, COLORREF color) {
    FBrush = std::make_unique<TSolidBrush>(color);
    const DWORD style = Child | WS_TABSTOP | WS_GROUP | WS_VSCROLL | ES_MULTILINE | ES_READONLY |
                        ES_AUTOVSCROLL | ES_AUTOHSCROLL;
    CreateHandle(L"Edit", &parent, id, bounds, style, WS_EX_CLIENTEDGE);
    // The default limit of about 32 000 characters would cut a long install log.
    SendMessageW(FHandle, EM_SETLIMITTEXT, 0, 0);
    Subclass();
}

void TMemo::Clear() {
    SetWindowTextW(FHandle, L"");
    FLineCount = 0;
}

void TMemo::AddLine(const std::wstring& line) {
    AddLines({line});
}

void TMemo::AddLines(const std::vector<std::wstring>& lines) {
    if (lines.empty())
        return;
    std::wstring text;
    for (const std::wstring& line : lines) {
        if (FLineCount > 0)
            text += L"\r\n";
        text += line;
        ++FLineCount;
    }
    const int end = GetWindowTextLengthW(FHandle);
    SendMessageW(FHandle, EM_SETSEL, end, end);
    SendMessageW(FHandle, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

std::vector<std::wstring> TMemo::Lines() const {
    std::vector<std::wstring> lines;
    if (FLineCount == 0)
        return lines;
    const std::wstring text = Caption();
    size_t start = 0;
    for (size_t pos; (pos = text.find(L"\r\n", start)) != std::wstring::npos; start = pos + 2)
        lines.push_back(text.substr(start, pos - start));
    lines.push_back(text.substr(start));
    return lines;
}

void TMemo::BeginUpdate() {
    SendMessageW(FHandle, WM_SETREDRAW, FALSE, 0);
}

void TMemo::EndUpdate() {
    SendMessageW(FHandle, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(FHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

HBRUSH TMemo::ControlColor(HDC dc) {
    SetBkColor(dc, FBrush->Color());
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    return FBrush->Handle();
}

bool TMemo::SubclassMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message != WM_GETDLGCODE)
        return false;
    result = ReadOnlyDialogCode(DefSubclassProc(FHandle, message, wParam, lParam), lParam);
    return true;
}

void TComboBox::Create(TContainer& parent, int id, const TRect& bounds, int itemHeight) {
    FItemHeight = itemHeight;
    const DWORD style = Child | WS_TABSTOP | WS_GROUP | WS_VSCROLL | CBS_DROPDOWNLIST |
                        CBS_OWNERDRAWFIXED | CBS_HASSTRINGS;
    CreateHandle(L"ComboBox", &parent, id, bounds, style);
}

void TComboBox::Clear() {
    SendMessageW(FHandle, CB_RESETCONTENT, 0, 0);
}

int TComboBox::Add(const std::wstring& text) {
    return int(SendMessageW(FHandle, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
}

int TComboBox::Count() const {
    return int(SendMessageW(FHandle, CB_GETCOUNT, 0, 0));
}

int TComboBox::ItemIndex() const {
    return int(SendMessageW(FHandle, CB_GETCURSEL, 0, 0));
}

void TComboBox::SetItemIndex(int index) {
    SendMessageW(FHandle, CB_SETCURSEL, index, 0);
}

std::wstring TComboBox::Text() const {
    const int index = ItemIndex();
    if (index < 0)
        return {};
    std::wstring text(SendMessageW(FHandle, CB_GETLBTEXTLEN, index, 0) + 1, L'\0');
    text.resize(SendMessageW(FHandle, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data())));
    return text;
}

void TComboBox::MeasureItem(MEASUREITEMSTRUCT& item) {
    item.itemHeight = UINT(Scale(FItemHeight, FDpi));
}

void TComboBox::Rescale(int dpi) {
    TWindow::Rescale(dpi);
    // The selection field (-1) and the items of the list.
    SendMessageW(FHandle, CB_SETITEMHEIGHT, WPARAM(-1), Scale(FItemHeight, dpi));
    SendMessageW(FHandle, CB_SETITEMHEIGHT, 0, Scale(FItemHeight, dpi));
}

void TComboBox::DrawItem(const DRAWITEMSTRUCT& item) {
    const bool selected = item.itemState & ODS_SELECTED;
    const bool disabled = item.itemState & ODS_DISABLED;
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (item.itemID != UINT(-1)) {
        std::wstring text(SendMessageW(FHandle, CB_GETLBTEXTLEN, item.itemID, 0) + 1, L'\0');
        text.resize(SendMessageW(FHandle, CB_GETLBTEXT, item.itemID,
                                 reinterpret_cast<LPARAM>(text.data())));
        SetBkMode(item.hDC, TRANSPARENT);
        SetTextColor(item.hDC, GetSysColor(disabled   ? COLOR_GRAYTEXT
                                           : selected ? COLOR_HIGHLIGHTTEXT
                                                      : COLOR_WINDOWTEXT));
        RECT area = item.rcItem;
        area.left += Scale(3, FDpi);
        DrawTextW(item.hDC, text.c_str(), int(text.size()), &area,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_PATH_ELLIPSIS);
    }
    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT))
        DrawFocusRect(item.hDC, &item.rcItem);
}

void TProgressBar::Create(TContainer& parent, int id, const TRect& bounds, int max) {
    CreateHandle(PROGRESS_CLASSW, &parent, id, bounds, Child);
    SendMessageW(FHandle, PBM_SETRANGE32, 0, max);
}

// With visual styles the bar glides to a higher position on timers, which never fire while an
// install run holds the thread; a step back is drawn at once. So the bar is set one beyond and
// then back, with the range widened for that moment when the position is already the end.
void TProgressBar::SetPosition(int position) {
    const int max = int(SendMessageW(FHandle, PBM_GETRANGE, FALSE, 0));
    if (position >= max)
        SendMessageW(FHandle, PBM_SETRANGE32, 0, position + 1);
    SendMessageW(FHandle, PBM_SETPOS, position + 1, 0);
    SendMessageW(FHandle, PBM_SETPOS, position, 0);
    if (position >= max)
        SendMessageW(FHandle, PBM_SETRANGE32, 0, max);
}

int TProgressBar::Position() const {
    return int(SendMessageW(FHandle, PBM_GETPOS, 0, 0));
}

void TPicture::Create(TContainer& parent, int id, const TRect& bounds, COLORREF background) {
    FBackground = background;
    CreateHandle(L"Static", &parent, id, bounds, Child | SS_OWNERDRAW);
}

void TPicture::SetRgb(int width, int height, const std::vector<uint8_t>& rgb) {
    if (width <= 0 || height <= 0 || uint64_t(rgb.size()) < uint64_t(width) * 3 * height)
        return;
    FRgb = rgb;
    FSourceWidth = width;
    FSourceHeight = height;
    FIconId = 0;
    Prepare();
}

void TPicture::SetIcon(int id, int size) {
    FIconId = id;
    FIconSize = size;
    FRgb.clear();
    Prepare();
}

void TPicture::Rescale(int dpi) {
    TWindow::Rescale(dpi);
    Prepare();
}

// The picture as drawn at the window's DPI. Only the part the area shows is scaled: a large
// banner costs no more than a small one.
void TPicture::Prepare() {
    FIcon = nullptr;
    FBgr.clear();
    FWidth = FHeight = 0;
    if (FIconId) {
        FWidth = FHeight = Scale(FIconSize, FDpi);
        FIcon = IconResource(FIconId, FWidth);
    } else if (!FRgb.empty()) {
        TPixelRect part;
        part.Width = std::min(FSourceWidth, FLogicalBounds.Width);
        part.Height = std::min(FSourceHeight, FLogicalBounds.Height);
        part.Left = (FSourceWidth - part.Width) / 2;
        part.Top = (FSourceHeight - part.Height) / 2;
        const int width = std::max(1, Scale(part.Width, FDpi));
        const int height = std::max(1, Scale(part.Height, FDpi));
        const std::vector<uint8_t> rgb =
            ScaleRgb(FRgb, FSourceWidth, FSourceHeight, part, width, height);
        if (rgb.empty())
            return;
        // In 64 bits: on a 32-bit system the products below could wrap to a small buffer.
        const uint64_t stride = (uint64_t(width) * 3 + 3) & ~uint64_t(3);
        if (stride * height > SIZE_MAX)
            return;
        FBgr.assign(size_t(stride * height), 0);
        for (int y = 0; y < height; ++y) {
            const uint8_t* from = rgb.data() + size_t(y) * size_t(width) * 3;
            uint8_t* to = FBgr.data() + size_t(height - 1 - y) * size_t(stride);
            for (int x = 0; x < width; ++x, from += 3, to += 3) {
                to[0] = from[2];
                to[1] = from[1];
                to[2] = from[0];
            }
        }
        FWidth = width;
        FHeight = height;
    }
    InvalidateRect(FHandle, nullptr, TRUE);
}

void TPicture::DrawItem(const DRAWITEMSTRUCT& item) {
    const RECT& area = item.rcItem;
    const int saved = SaveDC(item.hDC);
    // Static controls draw with their parent's DC: keep a large picture inside the control.
    IntersectClipRect(item.hDC, area.left, area.top, area.right, area.bottom);
    TSolidBrush background(FBackground);
    FillRect(item.hDC, &area, background.Handle());
    const int left = area.left + (area.right - area.left - FWidth) / 2;
    const int top = area.top + (area.bottom - area.top - FHeight) / 2;
    if (FIcon) {
        DrawIconEx(item.hDC, left, top, FIcon, FWidth, FHeight, 0, nullptr, DI_NORMAL);
    } else if (!FBgr.empty()) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = FWidth;
        info.bmiHeader.biHeight = FHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        info.bmiHeader.biCompression = BI_RGB;
        SetDIBitsToDevice(item.hDC, left, top, FWidth, FHeight, 0, 0, 0, FHeight, FBgr.data(),
                          &info, DIB_RGB_COLORS);
    }
    RestoreDC(item.hDC, saved);
}

void TBevel::Paint(HDC dc) {
    RECT line = ToRect(Bounds);
    line.bottom = line.top + 2;
    DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
}

void TShape::Paint(HDC dc) {
    const RECT area = ToRect(Bounds);
    TSolidBrush brush(FColor);
    FillRect(dc, &area, brush.Handle());
}

} // namespace ko::ui

#include "ui/check_list.h"

#include "ui/dpi.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

namespace ko::ui {

namespace {

constexpr int BoxSize = 13; // at 96 DPI, like the system's check boxes

} // namespace

void TCheckListBox::Create(TContainer& parent, int id, const TRect& bounds, int itemHeight) {
    FItemHeight = itemHeight;
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | WS_VSCROLL |
                        LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | LBS_WANTKEYBOARDINPUT |
                        LBS_NOINTEGRALHEIGHT;
    CreateHandle(L"ListBox", &parent, id, bounds, style, WS_EX_CLIENTEDGE);
    Subclass();
}

void TCheckListBox::Clear() {
    SendMessageW(FHandle, LB_RESETCONTENT, 0, 0);
}

int TCheckListBox::Add(const std::wstring& text, bool checked) {
    const int index =
        int(SendMessageW(FHandle, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
    if (index >= 0)
        SendMessageW(FHandle, LB_SETITEMDATA, index, checked ? 1 : 0);
    return index;
}

int TCheckListBox::Count() const {
    return int(SendMessageW(FHandle, LB_GETCOUNT, 0, 0));
}

std::wstring TCheckListBox::Text(int index) const {
    const LRESULT length = SendMessageW(FHandle, LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR)
        return {};
    std::wstring text(length + 1, L'\0');
    text.resize(SendMessageW(FHandle, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data())));
    return text;
}

bool TCheckListBox::Checked(int index) const {
    return SendMessageW(FHandle, LB_GETITEMDATA, index, 0) == 1;
}

void TCheckListBox::SetChecked(int index, bool checked) {
    SendMessageW(FHandle, LB_SETITEMDATA, index, checked ? 1 : 0);
    RECT row;
    if (SendMessageW(FHandle, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&row)) != LB_ERR)
        InvalidateRect(FHandle, &row, FALSE);
}

void TCheckListBox::Toggle(int index) {
    if (index >= 0 && index < Count())
        SetChecked(index, !Checked(index));
}

RECT TCheckListBox::BoxRect(const RECT& row) const {
    const int size = Scale(BoxSize, FDpi);
    const int top = row.top + (row.bottom - row.top - size) / 2;
    const int left = row.left + Scale(2, FDpi);
    return {left, top, left + size, top + size};
}

void TCheckListBox::MeasureItem(MEASUREITEMSTRUCT& item) {
    item.itemHeight = UINT(Scale(FItemHeight, FDpi));
}

void TCheckListBox::Rescale(int dpi) {
    TWindow::Rescale(dpi);
    SendMessageW(FHandle, LB_SETITEMHEIGHT, 0, Scale(FItemHeight, dpi));
    InvalidateRect(FHandle, nullptr, TRUE);
}

void TCheckListBox::DrawItem(const DRAWITEMSTRUCT& item) {
    if (item.itemID == UINT(-1))
        return;
    HDC dc = item.hDC;
    const bool selected = item.itemState & ODS_SELECTED;
    FillRect(dc, &item.rcItem, GetSysColorBrush(COLOR_WINDOW));
    RECT box = BoxRect(item.rcItem);
    DrawFrameControl(dc, &box, DFC_BUTTON,
                     DFCS_BUTTONCHECK | DFCS_FLAT | (Checked(int(item.itemID)) ? DFCS_CHECKED : 0));
    // The selection colours the text only, as check lists do, so the box stays readable.
    const std::wstring text = Text(int(item.itemID));
    RECT textArea = item.rcItem;
    textArea.left = box.right + Scale(4, FDpi);
    SIZE extent = {};
    GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &extent);
    RECT band = textArea;
    band.right = std::min<LONG>(band.right, band.left + extent.cx + Scale(4, FDpi));
    if (selected)
        FillRect(dc, &band, GetSysColorBrush(COLOR_HIGHLIGHT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    textArea.left += Scale(2, FDpi);
    DrawTextW(dc, text.c_str(), int(text.size()), &textArea,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT))
        DrawFocusRect(dc, &band);
}

int TCheckListBox::KeyToItem(int key, int caret) {
    if (key != VK_SPACE)
        return -1;
    Toggle(caret);
    return -2;
}

bool TCheckListBox::SubclassMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message != WM_LBUTTONDOWN && message != WM_LBUTTONDBLCLK)
        return false;
    const POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const LRESULT hit = SendMessageW(FHandle, LB_ITEMFROMPOINT, 0, lParam);
    const int index = LOWORD(hit);
    RECT row = {};
    const bool onItem = !HIWORD(hit) && SendMessageW(FHandle, LB_GETITEMRECT, index,
                                                     reinterpret_cast<LPARAM>(&row)) != LB_ERR;
    // The list selects the row first; the tick changes after.
    result = DefSubclassProc(FHandle, message, wParam, lParam);
    if (onItem && (message == WM_LBUTTONDBLCLK || point.x < BoxRect(row).right + Scale(2, FDpi)))
        Toggle(index);
    return true;
}

} // namespace ko::ui

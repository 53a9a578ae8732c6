#include "ui/rich_view.h"

#include "base/system_dll.h"
#include "ui/controls.h"

#include <commctrl.h>
#include <richedit.h>

#include <cstring>

namespace ko::ui {

namespace {

struct TReadPosition {
    const char* Bytes;
    size_t Size;
    size_t Offset;
};

DWORD CALLBACK ReadChunk(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done) {
    auto* position = reinterpret_cast<TReadPosition*>(cookie);
    const size_t left = position->Size - position->Offset;
    const size_t n = left < size_t(size) ? left : size_t(size);
    std::memcpy(buffer, position->Bytes + position->Offset, n);
    position->Offset += n;
    *done = LONG(n);
    return 0;
}

} // namespace

const wchar_t* RichEditClass() {
    static const wchar_t* name = nullptr;
    if (!name)
        name = LoadSystemLibrary(L"Msftedit.dll")   ? MSFTEDIT_CLASS
               : LoadSystemLibrary(L"Riched20.dll") ? RICHEDIT_CLASSW
                                                    : L"Edit";
    return name;
}

void TRichView::Create(TContainer& parent, int id, const TRect& bounds) {
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | WS_VSCROLL | ES_MULTILINE |
                        ES_READONLY | ES_AUTOVSCROLL;
    CreateHandle(RichEditClass(), &parent, id, bounds, style, WS_EX_CLIENTEDGE);
    SendMessageW(FHandle, EM_SETBKGNDCOLOR, 0, GetSysColor(COLOR_WINDOW));
    Subclass();
}

bool TRichView::StreamIn(const void* bytes, size_t size, UINT format) {
    TReadPosition position = {static_cast<const char*>(bytes), size, 0};
    EDITSTREAM stream = {};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&position);
    stream.pfnCallback = ReadChunk;
    SendMessageW(FHandle, EM_STREAMIN, format, reinterpret_cast<LPARAM>(&stream));
    return stream.dwError == 0;
}

bool TRichView::LoadFromText(const std::string& rtf, const std::wstring& plainText) {
    // The control rejects a stream that is not RTF with an error, or reads nothing from it; the
    // text then goes in as it is.
    if (StreamIn(rtf.data(), rtf.size(), SF_RTF) &&
        (GetWindowTextLengthW(FHandle) > 0 || rtf.compare(0, 5, "{\\rtf") == 0))
        return true;
    StreamIn(plainText.data(), plainText.size() * sizeof(wchar_t), SF_TEXT | SF_UNICODE);
    return false;
}

std::wstring TRichView::PlainText() const {
    return Caption();
}

bool TRichView::SubclassMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    // The rich-edit control swallows Enter and Escape even when read-only; the wizard's
    // default button must still answer Enter.
    if (message != WM_GETDLGCODE)
        return false;
    result = ReadOnlyDialogCode(DefSubclassProc(FHandle, message, wParam, lParam), lParam);
    return true;
}

} // namespace ko::ui

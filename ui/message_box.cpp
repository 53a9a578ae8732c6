#include "ui/message_box.h"

#include "ui/text.h"

namespace ko::ui {

namespace {

TMessageHandler& Handler() {
    static TMessageHandler handler;
    return handler;
}

} // namespace

void ShowMessage(HWND owner, TMessageKind kind, const std::wstring& text) {
    if (Handler()) {
        Handler()(kind, text);
        return;
    }
    const bool error = kind == TMessageKind::Error;
    MessageBoxW(owner, text.c_str(), error ? L"Error" : L"Warning",
                MB_OK | (error ? MB_ICONERROR : MB_ICONWARNING));
}

void ShowErrorText(HWND owner, const std::string& text) {
    ShowMessage(owner, TMessageKind::Error, Widen(text));
}

void SetMessageHandler(TMessageHandler handler) {
    Handler() = std::move(handler);
}

} // namespace ko::ui

#include "ui/message_box.h"

#include "base/win32_util.h"

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
    const wchar_t* caption = L"Information";
    UINT icon = MB_ICONINFORMATION;
    if (kind == TMessageKind::Error) {
        caption = L"Error";
        icon = MB_ICONERROR;
    } else if (kind == TMessageKind::Warning) {
        caption = L"Warning";
        icon = MB_ICONWARNING;
    }
    MessageBoxW(owner, text.c_str(), caption, MB_OK | icon);
}

void ShowErrorText(HWND owner, const std::string& text) {
    ShowMessage(owner, TMessageKind::Error, Wide(text));
}

void SetMessageHandler(TMessageHandler handler) {
    Handler() = std::move(handler);
}

} // namespace ko::ui

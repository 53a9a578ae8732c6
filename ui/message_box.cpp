#include "ui/message_box.h"

#include "base/win32_util.h"

namespace ko::ui {

namespace {

TMessageHandler& Handler() {
    static TMessageHandler handler;
    return handler;
}

struct TCaptions {
    std::wstring Error = L"Error";
    std::wstring Warning = L"Warning";
    std::wstring Information = L"Information";
};

TCaptions& Captions() {
    static TCaptions captions;
    return captions;
}

} // namespace

void ShowMessage(HWND owner, TMessageKind kind, const std::wstring& text) {
    if (Handler()) {
        Handler()(kind, text);
        return;
    }
    const std::wstring* caption = &Captions().Information;
    UINT icon = MB_ICONINFORMATION;
    if (kind == TMessageKind::Error) {
        caption = &Captions().Error;
        icon = MB_ICONERROR;
    } else if (kind == TMessageKind::Warning) {
        caption = &Captions().Warning;
        icon = MB_ICONWARNING;
    }
    MessageBoxW(owner, text.c_str(), caption->c_str(), MB_OK | icon);
}

void ShowErrorText(HWND owner, const std::string& text) {
    ShowMessage(owner, TMessageKind::Error, Wide(text));
}

void SetMessageCaptions(std::wstring error, std::wstring warning, std::wstring information) {
    Captions() = {std::move(error), std::move(warning), std::move(information)};
}

void SetMessageHandler(TMessageHandler handler) {
    Handler() = std::move(handler);
}

} // namespace ko::ui

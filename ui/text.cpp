#include "ui/text.h"

#include <windows.h>

namespace ko::ui {

std::wstring Widen(const std::string& text) {
    if (text.empty())
        return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(n, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), wide.data(), n);
    return wide;
}

std::string Narrow(const std::wstring& text) {
    if (text.empty())
        return {};
    const int n =
        WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(n, '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), narrow.data(), n, nullptr,
                        nullptr);
    return narrow;
}

} // namespace ko::ui

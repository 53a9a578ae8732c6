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

std::u16string WidenUtf16(const std::string& text) {
    const std::wstring wide = Widen(text);
    return std::u16string(wide.begin(), wide.end());
}

std::string NarrowUtf16(const std::u16string& text) {
    return Narrow(std::wstring(text.begin(), text.end()));
}

} // namespace ko::ui

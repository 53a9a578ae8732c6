#include "ui/text.h"

#include "base/codepage.h"
#include "base/win32_util.h"

namespace ko::ui {

std::wstring Widen(const std::string& text) {
    return Wide(text);
}

std::string Narrow(const std::wstring& text) {
    return Utf8(text);
}

std::u16string WidenUtf16(const std::string& text) {
    return Utf8ToUtf16(text);
}

std::string NarrowUtf16(const std::u16string& text) {
    return Utf16ToUtf8(text);
}

} // namespace ko::ui

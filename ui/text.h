// Conversion between the program's texts (UTF-8) and the UTF-16 texts of the controls and the
// markup label.
#pragma once

#include <string>

namespace ko::ui {

std::wstring Widen(const std::string& text);
std::string Narrow(const std::wstring& text);
// The same conversions for the markup label, which keeps its text as UTF-16 on every platform.
std::u16string WidenUtf16(const std::string& text);
std::string NarrowUtf16(const std::u16string& text);

} // namespace ko::ui

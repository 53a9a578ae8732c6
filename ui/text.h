// Conversion between the 8-bit texts of the package (the system's ANSI code page) and the
// UTF-16 texts of the controls. Only the user-interface edge converts.
#pragma once

#include <string>

namespace ko::ui {

std::wstring Widen(const std::string& text);
std::string Narrow(const std::wstring& text);

} // namespace ko::ui

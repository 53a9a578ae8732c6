// UTF-8 and UTF-16: the program's texts and those of Windows' wide functions and the markup
// label. A malformed sequence or a lone surrogate becomes U+FFFD.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ko {

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);
// With Strict, nothing when any sequence is malformed instead of U+FFFD in its place.
std::optional<std::u16string> Utf8ToUtf16(std::string_view utf8, bool strict);
// One character as one unit, or as a surrogate pair beyond U+FFFF.
void AppendUtf16(std::u16string& out, char32_t codePoint);

inline bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
inline bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

} // namespace ko

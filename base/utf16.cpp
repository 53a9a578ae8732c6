#include "base/utf16.h"

#include "base/codepage.h"

namespace ko {

void AppendUtf16(std::u16string& out, char32_t c) {
    if (c >= 0x10000) {
        out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
        out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
        out += static_cast<char16_t>(c);
    }
}

std::optional<std::u16string> Utf8ToUtf16(std::string_view utf8, bool strict) {
    std::u16string text;
    text.reserve(utf8.size());
    for (size_t pos = 0; pos < utf8.size();) {
        const TUtf8Char c = DecodeUtf8Char(utf8, pos);
        if (strict && c.CodePoint == ReplacementCharacter && c.Length == 1)
            return std::nullopt;
        AppendUtf16(text, c.CodePoint);
        pos += c.Length;
    }
    return text;
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
    return *Utf8ToUtf16(utf8, false);
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
    std::string text;
    text.reserve(utf16.size());
    for (size_t i = 0; i < utf16.size(); ++i) {
        char32_t c = utf16[i];
        if (IsHighSurrogate(utf16[i]) && i + 1 < utf16.size() && IsLowSurrogate(utf16[i + 1]))
            c = 0x10000 + ((c - 0xD800) << 10) + (utf16[++i] - 0xDC00);
        else if (IsHighSurrogate(utf16[i]) || IsLowSurrogate(utf16[i]))
            c = ReplacementCharacter;
        AppendUtf8(text, c);
    }
    return text;
}

} // namespace ko

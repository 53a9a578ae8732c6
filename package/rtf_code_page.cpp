#include "package/rtf_code_page.h"

#include "base/codepage.h"
#include "base/utf16.h"

#include <algorithm>

namespace ko {

namespace {

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The end of the control word at Pos (a backslash, letters, an optional signed number and one
// delimiting blank that belongs to it).
size_t ControlWordEnd(const std::string& rtf, size_t pos) {
    size_t end = pos + 1;
    while (end < rtf.size() && IsLetter(rtf[end]))
        ++end;
    if (end < rtf.size() && rtf[end] == '-')
        ++end;
    while (end < rtf.size() && rtf[end] >= '0' && rtf[end] <= '9')
        ++end;
    if (end < rtf.size() && rtf[end] == ' ')
        ++end;
    return end;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// One byte of the code page as "{\uc1\uN?}" per UTF-16 unit: in a group of its own, so that a
// document's own \uc (how many fallback characters follow) is kept and "?" never shows.
bool AppendEscaped(std::string& out, unsigned char byte, const TTextCodec& codec, int codePage) {
    const std::optional<std::string> utf8 = codec.Decode(std::string(1, char(byte)), codePage);
    if (!utf8)
        return false;
    for (const char16_t unit : Utf8ToUtf16(*utf8))
        out += "{\\uc1\\u" + std::to_string(int16_t(unit)) + "?}";
    return true;
}

} // namespace

std::string WithUnicodeEscapes(const std::string& rtf, const TTextCodec& codec, int codePage) {
    if (!IsSingleByteCodePage(codePage) || rtf.compare(0, 5, "{\\rtf") != 0 ||
        rtf.find("\\fcharset") != std::string::npos)
        return rtf;
    std::string out;
    for (size_t i = 0; i < rtf.size();) {
        const auto c = static_cast<unsigned char>(rtf[i]);
        if (c == '\\' && i + 3 < rtf.size() && rtf[i + 1] == '\'' && HexDigit(rtf[i + 2]) >= 0 &&
            HexDigit(rtf[i + 3]) >= 0) {
            const auto byte =
                static_cast<unsigned char>(HexDigit(rtf[i + 2]) * 16 + HexDigit(rtf[i + 3]));
            if (byte < 0x80 || !AppendEscaped(out, byte, codec, codePage))
                out.append(rtf, i, 4);
            i += 4;
        } else if (c == '\\' && i + 1 < rtf.size()) {
            // A control word or symbol: "\\" and "\{" are no escapes of a byte.
            out.append(rtf, i, 2);
            i += 2;
        } else {
            if (c < 0x80 || !AppendEscaped(out, c, codec, codePage))
                out += char(c);
            ++i;
        }
    }
    return out;
}

std::string DeclareRtfCodePage(const std::string& rtf, int codePage) {
    // A document of ASCII alone reads alike in every code page.
    const bool eightBit = rtf.find("\\'") != std::string::npos ||
                          std::any_of(rtf.begin(), rtf.end(), [](char c) { return c & 0x80; });
    if (codePage <= 0 || !eightBit || rtf.compare(0, 5, "{\\rtf") != 0 ||
        rtf.find("\\ansicpg") != std::string::npos)
        return rtf;
    size_t insert = ControlWordEnd(rtf, 1);
    for (const char* charset : {"\\ansi", "\\mac", "\\pca", "\\pc"}) {
        const std::string word = charset;
        if (rtf.compare(insert, word.size(), word) == 0 &&
            (insert + word.size() == rtf.size() || !IsLetter(rtf[insert + word.size()]))) {
            insert = ControlWordEnd(rtf, insert);
            break;
        }
    }
    // A blank that ended the word before stays its delimiter; the new word brings its own.
    const bool blank = insert > 0 && rtf[insert - 1] == ' ';
    return rtf.substr(0, blank ? insert - 1 : insert) + "\\ansicpg" + std::to_string(codePage) +
           (blank ? " " : "") + rtf.substr(insert);
}

std::string RtfInCodePage(const std::string& rtf, const TTextCodec& codec, int codePage) {
    return WithUnicodeEscapes(DeclareRtfCodePage(rtf, codePage), codec, codePage);
}

} // namespace ko

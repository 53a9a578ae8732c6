#include "package/rtf_code_page.h"

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

} // namespace

std::string DeclareRtfCodePage(const std::string& rtf, int codePage) {
    if (codePage <= 0 || rtf.compare(0, 5, "{\\rtf") != 0 ||
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

} // namespace ko

#include "builder/texts.h"

#include "base/unicode.h"
#include "base/utf16.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

namespace ko {

namespace {

bool Convertible(const std::u32string& text, int codePage) {
    std::string utf8;
    for (const char32_t c : text)
        AppendUtf8(utf8, c);
    return !Utf8ToCodePage(utf8, codePage).Unmappable;
}

std::string Utf8Of(char32_t c) {
    std::string utf8;
    AppendUtf8(utf8, c);
    return utf8;
}

// True when every byte above 0x7F belongs to a well-formed UTF-8 sequence and there is one.
bool LooksLikeUtf8(const std::string& bytes) {
    bool multibyte = false;
    for (size_t pos = 0; pos < bytes.size();) {
        const TUtf8Char c = DecodeUtf8Char(bytes, pos);
        if (c.CodePoint == 0xFFFD && c.Length == 1 &&
            static_cast<unsigned char>(bytes[pos]) >= 0x80)
            return false;
        multibyte |= c.Length > 1;
        pos += c.Length;
    }
    return multibyte;
}

// One character of a UTF-8 document as RTF: the code page's byte where it has one, otherwise a
// Unicode escape with "?" for readers that do not know it (UTF-16 units, signed as RTF wants).
// A character of two bytes, or of UTF-8, is always an escape: readers that take a font without
// a character set in the system's code page would split it.
void AppendRtfChar(std::string& out, char32_t c, int codePage) {
    char escape[24];
    const TCodePageText byte = Utf8ToCodePage(Utf8Of(c), codePage);
    if (!byte.Unmappable && IsSingleByteCodePage(codePage)) {
        std::snprintf(escape, sizeof escape, "\\'%02x", static_cast<unsigned char>(byte.Bytes[0]));
        out += escape;
        return;
    }
    std::u16string units;
    AppendUtf16(units, c);
    for (const char16_t unit : units) {
        std::snprintf(escape, sizeof escape, "\\u%d?",
                      static_cast<int>(static_cast<int16_t>(unit)));
        out += escape;
    }
}

// A UTF-8 document with its characters beyond ASCII as escapes (NFC first, as manifest texts).
std::string EscapedRtf(const std::string& utf8, int codePage) {
    std::string rtf;
    for (const char32_t c : NormalizeNfc(DecodeUtf8(utf8))) {
        if (c < 0x80)
            rtf += static_cast<char>(c);
        else
            AppendRtfChar(rtf, c, codePage);
    }
    return rtf;
}

// A letter the code page lacks, written as a letter it has and the remaining marks: code page
// 1258 holds "ê" and the dot below, not "ệ". Tries the most composed split first.
std::optional<std::string> SplitForCodePage(char32_t c, int codePage) {
    const std::u32string parts = Decompose(c);
    const size_t marks = parts.size() - 1;
    if (marks == 0 || marks > 4)
        return std::nullopt;
    for (unsigned mask = (1u << marks) - 1; mask + 1 > 0; --mask) {
        std::u32string base(1, parts[0]), rest;
        for (size_t i = 0; i < marks; ++i)
            (mask >> i & 1 ? base : rest) += parts[i + 1];
        const std::u32string letter = NormalizeNfc(base);
        if (letter.size() == 1 && Convertible(letter + rest, codePage)) {
            std::string utf8;
            for (const char32_t part : letter + rest)
                AppendUtf8(utf8, part);
            return utf8;
        }
    }
    return std::nullopt;
}

} // namespace

TCodePageText ConvertText(const std::string& utf8, int codePage) {
    TCodePageText result;
    // UTF-8 holds every text as the vendor wrote it.
    if (codePage == Utf8CodePage)
        return Utf8ToCodePage(utf8, codePage);
    for (const char32_t c : NormalizeNfc(DecodeUtf8(utf8))) {
        TCodePageText one = Utf8ToCodePage(Utf8Of(c), codePage);
        if (one.Unmappable)
            if (const auto split = SplitForCodePage(c, codePage))
                one = Utf8ToCodePage(*split, codePage);
        if (one.Unmappable) {
            result.Unmappable = one.Unmappable;
            return result;
        }
        result.Bytes += one.Bytes;
    }
    return result;
}

std::string CodePageHint(char32_t character, int codePage) {
    const auto holding = [&](const std::vector<int>& pages) {
        std::vector<int> found;
        for (const int page : pages)
            if (page != codePage && !ConvertText(Utf8Of(character), page).Unmappable)
                found.push_back(page);
        return found;
    };
    // The single-byte code pages first; only when none holds the character the double-byte ones
    // and UTF-8, which holds every one.
    std::vector<int> singleByte;
    for (int page = 0; page <= 1258; ++page)
        if (IsSingleByteCodePage(page))
            singleByte.push_back(page);
    std::vector<int> pages = holding(singleByte);
    if (pages.empty())
        pages = holding({932, 936, 949, 950, Utf8CodePage});
    if (pages.empty())
        return "";
    std::string list;
    for (const int page : pages)
        list += (list.empty() ? "" : ", ") + std::to_string(page);
    if (pages == std::vector<int>{Utf8CodePage})
        list += " (UTF-8)";
    return "; code page" + std::string(pages.size() > 1 ? "s " : " ") + list +
           (pages.size() > 1 ? " hold it" : " holds it");
}

TDocument PrepareRtf(std::string bytes, int codePage) {
    TDocument document;
    const bool bom = bytes.rfind("\xEF\xBB\xBF", 0) == 0;
    if (bytes.rfind("\xFF\xFE", 0) == 0 || bytes.rfind("\xFE\xFF", 0) == 0) {
        document.Problem = "is UTF-16 text (it begins with a UTF-16 byte-order mark); save it "
                           "as RTF, which is 8-bit";
        return document;
    }
    if (bom)
        bytes.erase(0, 3);
    if (bytes.rfind("{\\rtf", 0) != 0) {
        document.Problem = "is not an RTF document (it does not begin with \"{\\rtf\")";
        return document;
    }
    if (bom || LooksLikeUtf8(bytes)) {
        document.Text = EscapedRtf(bytes, codePage);
        document.Note = std::string("was saved as UTF-8") + (bom ? " with a byte-order mark" : "") +
                        "; its characters beyond ASCII are stored as RTF escapes";
        return document;
    }
    if (const auto pos = FindUndefinedByte(bytes, codePage)) {
        char byte[8];
        std::snprintf(byte, sizeof byte, "0x%02X", static_cast<unsigned char>(bytes[*pos]));
        document.Problem = "holds byte " + std::string(byte) + " at offset " +
                           std::to_string(*pos) + ", which is not in code page " +
                           std::to_string(codePage) +
                           " (an RTF document must be 7-bit, UTF-8 or in the manifest's code page)";
        return document;
    }
    // A trail byte may be that of "\", "{" or "}"; as escapes the characters read alike in every
    // reader, whichever code page it takes.
    const bool eightBit = std::any_of(bytes.begin(), bytes.end(), [](char c) { return c & 0x80; });
    if (!IsSingleByteCodePage(codePage) && eightBit)
        document.Text = EscapedRtf(CodePageToUtf8(bytes, codePage), codePage);
    else
        document.Text = std::move(bytes);
    return document;
}

} // namespace ko

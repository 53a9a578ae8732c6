#include "ui/script_font.h"

#include <climits>
#include <vector>

namespace ko::ui {

namespace {

bool InRange(wchar_t c, wchar_t first, wchar_t last) {
    return c >= first && c <= last;
}

bool IsHangul(wchar_t c) {
    return InRange(c, 0xAC00, 0xD7A3) || InRange(c, 0x1100, 0x11FF) || InRange(c, 0x3130, 0x318F);
}

bool IsKana(wchar_t c) {
    return InRange(c, 0x3040, 0x30FF) || InRange(c, 0x31F0, 0x31FF) || InRange(c, 0xFF66, 0xFF9F);
}

bool IsHan(wchar_t c) {
    return InRange(c, 0x4E00, 0x9FFF) || InRange(c, 0x3400, 0x4DBF) || InRange(c, 0xF900, 0xFAFF);
}

BYTE CharSetOfCodePage(UINT codePage) {
    switch (codePage) {
    case 932:
        return SHIFTJIS_CHARSET;
    case 936:
        return GB2312_CHARSET;
    case 949:
        return HANGUL_CHARSET;
    case 950:
        return CHINESEBIG5_CHARSET;
    default:
        return DEFAULT_CHARSET;
    }
}

// A name in UTF-8 says its script by its characters alone. Han is shared: a Japanese or a
// Chinese system draws it in its own forms, any other in the simplified ones.
BYTE CharSetOfName(std::wstring_view name) {
    bool han = false;
    for (const wchar_t c : name) {
        if (IsHangul(c))
            return HANGUL_CHARSET;
        if (IsKana(c))
            return SHIFTJIS_CHARSET;
        han = han || IsHan(c);
    }
    if (!han)
        return DEFAULT_CHARSET;
    const BYTE system = CharSetOfCodePage(GetACP());
    return system == DEFAULT_CHARSET ? GB2312_CHARSET : system;
}

bool IsTraditionalChinese(std::string_view tag) {
    for (const std::string_view mark : {"hant", "tw", "hk", "mo"}) {
        const size_t at = tag.find(mark);
        if (at != std::string_view::npos && at > 0 && (tag[at - 1] == '-' || tag[at - 1] == '_'))
            return true;
    }
    return false;
}

// The faces Windows itself gives the script's dialogs: the newer, then the one of older
// versions.
const wchar_t* const* WindowsFaces(BYTE charSet) {
    static const wchar_t* const Japanese[] = {L"Meiryo UI", L"MS UI Gothic", nullptr};
    static const wchar_t* const Korean[] = {L"Malgun Gothic", L"Gulim", nullptr};
    static const wchar_t* const Simplified[] = {L"Microsoft YaHei UI", L"SimSun", nullptr};
    static const wchar_t* const Traditional[] = {L"Microsoft JhengHei UI", L"PMingLiU", nullptr};
    switch (charSet) {
    case SHIFTJIS_CHARSET:
        return Japanese;
    case HANGUL_CHARSET:
        return Korean;
    case GB2312_CHARSET:
        return Simplified;
    default:
        return Traditional;
    }
}

HFONT MakeFont(const wchar_t* face, BYTE charSet) {
    return CreateFontW(-16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, charSet, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

// The face that lacks the fewest glyphs of Texts among those tried.
struct TFaceSearch {
    HDC DC;
    BYTE CharSet;
    std::wstring_view Texts;
    std::wstring Best;
    int Fewest = INT_MAX;

    // Tries Face; false once one covers every character. With Installed, only a face the
    // system has under that very name counts: the font mapper hands out another for any name.
    bool Try(const wchar_t* face, bool installed) {
        const HFONT font = MakeFont(face, CharSet);
        wchar_t made[LF_FACESIZE] = {};
        const HGDIOBJ old = SelectObject(DC, font);
        GetTextFaceW(DC, LF_FACESIZE, made);
        SelectObject(DC, old);
        if (!installed || lstrcmpiW(made, face) == 0) {
            const int missing = MissingGlyphs(DC, font, Texts);
            if (missing < Fewest) {
                Best = face;
                Fewest = missing;
            }
        }
        DeleteObject(font);
        return Fewest > 0;
    }
};

int CALLBACK TryFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM data) {
    // "@" faces are the vertical variants, for text set in columns.
    if (font->lfFaceName[0] == L'@')
        return 1;
    return reinterpret_cast<TFaceSearch*>(data)->Try(font->lfFaceName, false);
}

} // namespace

BYTE ScriptCharSet(std::string_view language, int codePage, std::wstring_view name) {
    const std::string_view script = language.substr(0, 2);
    if (language.size() == 2 ||
        (language.size() > 2 && (language[2] == '-' || language[2] == '_'))) {
        if (script == "ja")
            return SHIFTJIS_CHARSET;
        if (script == "ko")
            return HANGUL_CHARSET;
        if (script == "zh")
            return IsTraditionalChinese(language) ? CHINESEBIG5_CHARSET : GB2312_CHARSET;
    }
    if (codePage == CP_UTF8)
        return CharSetOfName(name);
    return CharSetOfCodePage(UINT(codePage));
}

int MissingGlyphs(HDC dc, HFONT font, std::wstring_view text) {
    std::vector<WORD> glyphs(text.size());
    const HGDIOBJ old = SelectObject(dc, font);
    const DWORD done = GetGlyphIndicesW(dc, text.data(), int(text.size()), glyphs.data(),
                                        GGI_MARK_NONEXISTING_GLYPHS);
    SelectObject(dc, old);
    if (done == GDI_ERROR)
        return int(text.size());
    int missing = 0;
    for (size_t i = 0; i < text.size(); ++i)
        // Line breaks and tabs are no glyphs; a surrogate pair's halves are no characters.
        if (glyphs[i] == 0xFFFF && text[i] >= L' ' && !InRange(text[i], 0xD800, 0xDFFF))
            ++missing;
    return missing;
}

std::wstring ScriptFace(BYTE charSet, std::wstring_view texts) {
    if (charSet == DEFAULT_CHARSET)
        return {};
    TFaceSearch search{GetDC(nullptr), charSet, texts};
    bool searching = true;
    for (const wchar_t* const* face = WindowsFaces(charSet); *face && searching; ++face)
        searching = search.Try(*face, true);
    if (searching) {
        // Then the faces the system has for the character set, the font mapper's choices.
        LOGFONTW wanted = {};
        wanted.lfCharSet = charSet;
        EnumFontFamiliesExW(search.DC, &wanted, TryFace, reinterpret_cast<LPARAM>(&search), 0);
    }
    ReleaseDC(nullptr, search.DC);
    return search.Best;
}

} // namespace ko::ui

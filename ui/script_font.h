// The face Chinese, Japanese and Korean texts need. The layout's faces have no Han, kana or
// Hangul: Windows links a few faces to one that has them, but not the layout's bitmap face, and
// Wine links none, so such texts would show as empty boxes. They take a face of their script's
// character set instead.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace ko::ui {

// The character set of the script the wizard's texts are in: that of Language (a tag: "ja",
// "zh-TW") for Chinese, Japanese and Korean; else that of the package's double-byte CodePage;
// else, for a UTF-8 package, that of the script of Name (Hangul, kana, else Han, the system's
// own Chinese or Japanese where it has one). DEFAULT_CHARSET for anything else.
BYTE ScriptCharSet(std::string_view language, int codePage, std::wstring_view name);

// The face for CharSet whose glyphs cover Texts: one of the dialog faces Windows has for the
// script where installed, else a face the system has for the character set. Where none covers
// every character, the one that lacks the fewest. Empty for DEFAULT_CHARSET or when the system
// has no face for CharSet at all.
std::wstring ScriptFace(BYTE charSet, std::wstring_view texts);

// How many characters of Text (control characters aside) Font has no glyph for.
int MissingGlyphs(HDC dc, HFONT font, std::wstring_view text);

} // namespace ko::ui

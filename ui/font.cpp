// Fonts for a display's DPI: a bitmap face has a few fixed sizes, and Windows draws any other
// size of it by stretching its pixels; such a size takes a TrueType face instead.
#include "ui/dpi.h"
#include "ui/gdi.h"

namespace ko::ui {

namespace {

struct TSizeSearch {
    int Height; // character height in pixels
    bool Bitmap = false;
    bool Found = false;
};

int CALLBACK NoteSize(const LOGFONTW*, const TEXTMETRICW* metric, DWORD type, LPARAM data) {
    auto* search = reinterpret_cast<TSizeSearch*>(data);
    if (!(type & RASTER_FONTTYPE))
        return 0; // a scalable face has every size
    search->Bitmap = true;
    if (metric->tmHeight - metric->tmInternalLeading == search->Height)
        search->Found = true;
    return 1;
}

} // namespace

bool BitmapFaceHasHeight(const wchar_t* face, int height) {
    LOGFONTW font = {};
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
    TSizeSearch search{height < 0 ? -height : height};
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &font, NoteSize, reinterpret_cast<LPARAM>(&search), 0);
    ReleaseDC(nullptr, screen);
    return search.Bitmap && search.Found;
}

HFONT TFont::SetDpi(int dpi) {
    const HFONT previous = FHandle;
    const int height = Scale(FHeight, dpi);
    // At 96 DPI the face is the layout's own, whatever kind it is.
    const bool keep = dpi == BaseDpi || !FScaledFace ||
                      BitmapFaceHasHeight(FFace.c_str(), height) ||
                      !BitmapFaceHasHeight(FFace.c_str(), FHeight);
    FHandle = Make(keep ? FFace : FScaledFace, height);
    return previous;
}

void TFont::SetScript(const std::wstring& face, BYTE charSet) {
    // The layout's lines are as high as its face's: the new face takes that line height (a
    // positive height is the cell's), so that a title wraps into as many lines as the layout
    // has room for. A face made for these scripts has more room above and below its glyphs.
    TEXTMETRICW metric = {};
    HDC screen = GetDC(nullptr);
    const HGDIOBJ old = SelectObject(screen, FHandle);
    if (GetTextMetricsW(screen, &metric))
        FHeight = metric.tmHeight;
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    FFace = face;
    FScaledFace = nullptr;
    FCharSet = charSet;
    DeleteObject(FHandle);
    FHandle = Make(FFace, FHeight);
}

} // namespace ko::ui

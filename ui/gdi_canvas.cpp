#include "ui/gdi_canvas.h"

#include "base/win32_util.h"
#include "ui/gdi.h"

namespace ko::ui {

void TFontVariants::SetBase(HFONT base) {
    if (base == FBase)
        return;
    Release();
    FBase = base;
}

HFONT TFontVariants::Get(markup::TFontStyles style) {
    HFONT base = FBase ? FBase : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    if (style.Empty())
        return base;
    HFONT& variant = FVariants[style.Bits() & 7];
    if (!variant) {
        LOGFONTW font = {};
        GetObjectW(base, sizeof font, &font);
        if (style.Contains(markup::fsBold))
            font.lfWeight = FW_BOLD;
        if (style.Contains(markup::fsItalic))
            font.lfItalic = TRUE;
        if (style.Contains(markup::fsUnderline))
            font.lfUnderline = TRUE;
        variant = CreateFontIndirectW(&font);
    }
    return variant ? variant : base;
}

void TFontVariants::Release() {
    for (HFONT& variant : FVariants) {
        if (variant)
            DeleteObject(variant);
        variant = nullptr;
    }
}

COLORREF ResolveColor(markup::TColor color) {
    if ((color & 0xFF000000) == 0xFF000000)
        return GetSysColor(int(color & 0xFF));
    return color & 0x00FFFFFF;
}

TGdiCanvas::TGdiCanvas(HDC dc, TFontVariants& fonts) : FDC(dc), FFonts(fonts), FSaved(SaveDC(dc)) {
    SelectObject(FDC, FFonts.Get(FStyle));
    SetBkMode(FDC, TRANSPARENT);
    // The pen is the top-left corner of the text, whatever the DC was set to.
    SetTextAlign(FDC, TA_LEFT | TA_TOP | TA_NOUPDATECP);
}

TGdiCanvas::~TGdiCanvas() {
    RestoreDC(FDC, FSaved);
}

void TGdiCanvas::SetFontStyle(markup::TFontStyles style) {
    FStyle = style;
    SelectObject(FDC, FFonts.Get(style));
}

void TGdiCanvas::SetFontColor(markup::TColor color) {
    SetTextColor(FDC, ResolveColor(color));
}

markup::TSize TGdiCanvas::TextExtent(std::u16string_view text) {
    SIZE size = {};
    GetTextExtentPoint32W(FDC, WideChars(text), int(text.size()), &size);
    return {int(size.cx), int(size.cy)};
}

void TGdiCanvas::TextOut(int x, int y, std::u16string_view text) {
    ExtTextOutW(FDC, x, y, 0, nullptr, WideChars(text), UINT(text.size()), nullptr);
}

void TGdiCanvas::FillRect(const markup::TRect& rect, markup::TColor color) {
    const RECT area = {rect.Left, rect.Top, rect.Right, rect.Bottom};
    TSolidBrush brush(ResolveColor(color));
    ::FillRect(FDC, &area, brush.Handle());
}

} // namespace ko::ui

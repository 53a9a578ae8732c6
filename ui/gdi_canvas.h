// The markup label's drawing surface on a device context: wide text measured and drawn with
// GDI in bold, italic and underlined variants of one base font.
#pragma once

#include <windows.h>

// The markup canvas has a TextOut of its own; windows.h's macro would rename it.
#undef TextOut

#include "markup/canvas.h"

namespace ko::ui {

// A base font and its styled variants, made on first use and kept until the base changes:
// a label paints often, and making fonts on every paint would cost more than the drawing.
class TFontVariants {
public:
    TFontVariants() = default;
    ~TFontVariants() { Release(); }
    TFontVariants(const TFontVariants&) = delete;
    TFontVariants& operator=(const TFontVariants&) = delete;

    HFONT Base() const { return FBase; }
    // The caller keeps Base alive; the variants are dropped.
    void SetBase(HFONT base);
    // The base font with the styles added; the base itself for no style.
    HFONT Get(markup::TFontStyles style);

private:
    void Release();
    HFONT FBase = nullptr;
    HFONT FVariants[8] = {};
};

// The colour of a markup colour value: system colour codes through GetSysColor.
COLORREF ResolveColor(markup::TColor color);

// Draws on DC, which must stay valid while the canvas lives; what the canvas selects into it
// is put back when it ends. Text is drawn on a transparent background.
class TGdiCanvas : public markup::ICanvas {
public:
    TGdiCanvas(HDC dc, TFontVariants& fonts);
    ~TGdiCanvas() override;
    TGdiCanvas(const TGdiCanvas&) = delete;
    TGdiCanvas& operator=(const TGdiCanvas&) = delete;

    markup::TFontStyles FontStyle() const override { return FStyle; }
    void SetFontStyle(markup::TFontStyles style) override;
    void SetFontColor(markup::TColor color) override;
    markup::TSize TextExtent(std::u16string_view text) override;
    void TextOut(int x, int y, std::u16string_view text) override;
    void FillRect(const markup::TRect& rect, markup::TColor color) override;

private:
    HDC FDC;
    TFontVariants& FFonts;
    markup::TFontStyles FStyle;
    int FSaved;
};

} // namespace ko::ui

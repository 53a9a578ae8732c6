// The drawing surface the layout, the renderer and the label draw on. The stub implements it
// with GDI on the label's parent; the tests with fixed glyph widths.
#pragma once

#include "markup/markup_types.h"

#include <string_view>

namespace ko::markup {

// The canvas has a base font (face and size, chosen by whoever made the canvas); the markup
// only varies its style and colour.
class ICanvas {
public:
    virtual ~ICanvas() = default;

    virtual TFontStyles FontStyle() const = 0;
    // Bold, italic and underline variants of the base font.
    virtual void SetFontStyle(TFontStyles style) = 0;
    // A COLORREF or a system colour code (0xFF0000nn, to be resolved by the canvas).
    virtual void SetFontColor(TColor color) = 0;
    // The extent of the text in the current font (GetTextExtentPoint32W).
    virtual TSize TextExtent(std::u16string_view text) = 0;
    // Draws the text in the current font and colour with its top-left corner at (X, Y), on a
    // transparent background.
    virtual void TextOut(int x, int y, std::u16string_view text) = 0;
    // Fills the rectangle, Right and Bottom excluded, with a solid colour.
    virtual void FillRect(const TRect& rect, TColor color) = 0;

    int TextWidth(std::u16string_view text) { return TextExtent(text).Width; }
    int TextHeight(std::u16string_view text) { return TextExtent(text).Height; }
};

} // namespace ko::markup

// A canvas with fixed glyph widths per style that records what is drawn: the layout and the
// label are tested against it, and the markup fuzzer lays out on it.
#pragma once

#include "markup/canvas.h"

#include <string>
#include <vector>

namespace kotest {

struct TDrawnText {
    int X;
    int Y;
    std::u16string Text;
    ko::markup::TFontStyles Style;
    ko::markup::TColor Color;
    bool operator==(const TDrawnText&) const = default;
};

class TFakeCanvas : public ko::markup::ICanvas {
public:
    // Every glyph is 10 pixels wide, bold ones 12 and italic ones 1 more. Lines are 16 high,
    // but a bold "fg" measures 20, so that the line height shows it is measured without style.
    static int GlyphWidth(ko::markup::TFontStyles style) {
        return 10 + (style.Contains(ko::markup::fsBold) ? 2 : 0) +
               (style.Contains(ko::markup::fsItalic) ? 1 : 0);
    }
    static constexpr int LineHeight = 16;

    ko::markup::TFontStyles FontStyle() const override { return Style; }
    void SetFontStyle(ko::markup::TFontStyles style) override { Style = style; }
    void SetFontColor(ko::markup::TColor color) override { Color = color; }
    ko::markup::TSize TextExtent(std::u16string_view text) override {
        ++Measured;
        return {int(text.size()) * GlyphWidth(Style),
                Style.Contains(ko::markup::fsBold) ? 20 : LineHeight};
    }
    void TextOut(int x, int y, std::u16string_view text) override {
        Drawn.push_back({x, y, std::u16string(text), Style, Color});
    }
    void FillRect(const ko::markup::TRect& rect, ko::markup::TColor color) override {
        Filled.push_back(rect);
        FillColor = color;
    }

    ko::markup::TFontStyles Style;
    ko::markup::TColor Color = 0;
    std::vector<TDrawnText> Drawn;
    std::vector<ko::markup::TRect> Filled;
    ko::markup::TColor FillColor = 0;
    int Measured = 0;
};

} // namespace kotest

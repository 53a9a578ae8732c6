// The small value types of the markup label: points, rectangles, colours and font styles, and
// the exceptions of its parts. Text is UTF-16 (std::u16string) on every platform, so the layout
// measures and wraps the same characters natively and in the stub.
#pragma once

#include "base/errors.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace ko::markup {

struct TPoint {
    int X = 0;
    int Y = 0;
    bool operator==(const TPoint&) const = default;
};

struct TSize {
    int Width = 0;
    int Height = 0;
};

// Bounds as Windows keeps them: Right and Bottom are coordinates, not sizes.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    bool operator==(const TRect&) const = default;
};
using TRectArray = std::vector<TRect>;

// A colour as 0x00BBGGRR (a COLORREF), or a code resolved before drawing: 0xFF0000nn is the
// system colour nn (the canvas resolves it), 0x800004nn a link colour (the renderer does).
using TColor = uint32_t;
inline constexpr TColor clBlack = 0x00000000;
inline constexpr TColor clRed = 0x000000FF;
inline constexpr TColor clBlue = 0x00FF0000;
inline constexpr TColor clPurple = 0x00800080;
inline constexpr TColor clWindowText = 0xFF000008;
inline constexpr TColor clBtnFace = 0xFF00000F;
inline constexpr TColor clLinkNormal = 0x80000400;
inline constexpr TColor clLinkClicked = 0x80000401;
inline constexpr TColor clLinkHot = 0x80000402;

enum TFontStyle : uint8_t { fsBold = 0, fsItalic = 1, fsUnderline = 2 };

// A set of font styles.
class TFontStyles {
public:
    constexpr TFontStyles() = default;
    constexpr TFontStyles(std::initializer_list<TFontStyle> styles) {
        for (TFontStyle style : styles)
            FBits |= Bit(style);
    }
    constexpr bool Contains(TFontStyle style) const { return (FBits & Bit(style)) != 0; }
    constexpr bool Empty() const { return FBits == 0; }
    constexpr TFontStyles operator+(TFontStyle style) const { return FromBits(FBits | Bit(style)); }
    constexpr TFontStyles operator+(TFontStyles other) const {
        return FromBits(FBits | other.FBits);
    }
    constexpr uint8_t Bits() const { return FBits; }
    constexpr bool operator==(const TFontStyles&) const = default;

private:
    static constexpr uint8_t Bit(TFontStyle style) { return uint8_t(1u << style); }
    static constexpr TFontStyles FromBits(uint8_t bits) {
        TFontStyles styles;
        styles.FBits = bits;
        return styles;
    }
    uint8_t FBits = 0;
};

// A node tree was used wrongly (an index or enumeration past its end, a foreign node class).
class ENodeError : public EKoError {
public:
    using EKoError::EKoError;
};

// The lexer was asked past the end of its text, or the parser met an element it cannot place.
class EParserError : public EKoError {
public:
    using EKoError::EKoError;
};

// The word enumerator ran past its text, or the layout met an element it does not know.
class ETextHandlerError : public EKoError {
public:
    using EKoError::EKoError;
};

} // namespace ko::markup

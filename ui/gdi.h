// Font and brush handles that their object owns and deletes.
#pragma once

#include <windows.h>

namespace ko::ui {

class TFont {
public:
    // Height in logical units as CreateFont takes it: negative for the character height.
    TFont(const wchar_t* face, int height, bool bold = false)
        : FHandle(CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                              DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                              DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face)) {}
    ~TFont() { DeleteObject(FHandle); }
    TFont(const TFont&) = delete;
    TFont& operator=(const TFont&) = delete;

    HFONT Handle() const { return FHandle; }

private:
    HFONT FHandle;
};

// A solid brush of one colour, made again when the colour changes.
class TSolidBrush {
public:
    explicit TSolidBrush(COLORREF color) : FColor(color), FHandle(CreateSolidBrush(color)) {}
    ~TSolidBrush() { DeleteObject(FHandle); }
    TSolidBrush(const TSolidBrush&) = delete;
    TSolidBrush& operator=(const TSolidBrush&) = delete;

    COLORREF Color() const { return FColor; }
    HBRUSH Handle() const { return FHandle; }
    void SetColor(COLORREF color) {
        if (color == FColor)
            return;
        DeleteObject(FHandle);
        FColor = color;
        FHandle = CreateSolidBrush(color);
    }

private:
    COLORREF FColor;
    HBRUSH FHandle;
};

} // namespace ko::ui

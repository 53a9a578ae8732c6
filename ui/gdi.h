// Font and brush handles that their object owns and deletes, and guards of device contexts.
#pragma once

#include <windows.h>

#include <string>

namespace ko::ui {

class TFont {
public:
    // Height in logical units as CreateFont takes it: negative for the character height.
    TFont(const wchar_t* face, int height, bool bold = false, const wchar_t* scaledFace = nullptr)
        : FFace(face), FScaledFace(scaledFace), FHeight(height), FBold(bold),
          FHandle(Make(face, height)) {}
    ~TFont() { DeleteObject(FHandle); }
    TFont(const TFont&) = delete;
    TFont& operator=(const TFont&) = delete;

    HFONT Handle() const { return FHandle; }
    // Makes the font again for a display of Dpi, its height scaled by Dpi / 96; a bitmap face
    // that has no such size is replaced by the scaled face. Returns the previous handle, which
    // the caller deletes once no window uses it any more.
    HFONT SetDpi(int dpi);
    // Makes the font again in Face with CharSet and the line height it had, for texts of a
    // script the layout's face lacks; such a face is scalable, so it serves every DPI. Only at
    // 96 DPI and before any window uses the font: the previous handle is deleted.
    void SetScript(const std::wstring& face, BYTE charSet);

private:
    HFONT Make(const std::wstring& face, int height) const {
        return CreateFontW(height, 0, 0, 0, FBold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                           FCharSet, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_DONTCARE, face.c_str());
    }

    std::wstring FFace;
    const wchar_t* FScaledFace;
    int FHeight;
    bool FBold;
    BYTE FCharSet = DEFAULT_CHARSET;
    HFONT FHandle;
};

// True when Face is a bitmap font drawn at Height (a CreateFont height) without stretching.
bool BitmapFaceHasHeight(const wchar_t* face, int height);

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

// The device context's state, saved for the guard's life: whatever is selected or clipped in
// between is undone, also when drawing throws.
class TSavedDC {
public:
    explicit TSavedDC(HDC dc) : FDC(dc), FSaved(SaveDC(dc)) {}
    ~TSavedDC() { RestoreDC(FDC, FSaved); }
    TSavedDC(const TSavedDC&) = delete;
    TSavedDC& operator=(const TSavedDC&) = delete;

private:
    HDC FDC;
    int FSaved;
};

// BeginPaint for the guard's life. EndPaint follows however the painting ends: a region left
// invalid after an error would be painted, and fail, again and again.
class TPaintScope {
public:
    explicit TPaintScope(HWND window) : FWindow(window), DC(BeginPaint(window, &Paint)) {}
    ~TPaintScope() { EndPaint(FWindow, &Paint); }
    TPaintScope(const TPaintScope&) = delete;
    TPaintScope& operator=(const TPaintScope&) = delete;

private:
    HWND FWindow;

public:
    PAINTSTRUCT Paint;
    HDC DC;
};

} // namespace ko::ui

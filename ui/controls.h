// The standard controls of the toolkit, each a real child window of the system's class so that
// screen readers and UI automation read them, with Unicode captions.
#pragma once

#include "ui/container.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace ko::ui {

// A "Static": text on its parent's background, or on its own Color once set.
class TLabel : public TWindow {
public:
    void Create(TContainer& parent, int id, const TRect& bounds, const wchar_t* caption,
                bool wordWrap = true);
    void SetColor(COLORREF color);
    HBRUSH ControlColor(HDC dc) override;

private:
    std::unique_ptr<TSolidBrush> FBrush;
};

// Push button, radio button and check box: "Button" windows that report clicks.
class TButton : public TWindow {
public:
    void Create(TContainer& parent, int id, const TRect& bounds, const wchar_t* caption,
                bool defaultButton = false);
    // Shows the program's icon resource Id to the left of the caption, Size pixels square at
    // 96 DPI.
    void SetGlyph(int id, int size);
    void Command(int code) override;
    void Rescale(int dpi) override;

    TNotifyEvent OnClick;

protected:
    void CreateButton(TContainer& parent, int id, const TRect& bounds, const wchar_t* caption,
                      DWORD style);

private:
    int FGlyph = 0;
    int FGlyphSize = 0;
};

class TRadioButton : public TButton {
public:
    // FirstOfGroup starts a new group of buttons of which one is selected.
    void Create(TContainer& parent, int id, const TRect& bounds, const wchar_t* caption,
                bool firstOfGroup);
    bool Checked() const;
    void SetChecked(bool checked);
};

class TCheckBox : public TButton {
public:
    void Create(TContainer& parent, int id, const TRect& bounds, const wchar_t* caption);
    bool Checked() const;
    void SetChecked(bool checked);
};

// A read-only multi-line "Edit" without word wrap, in its own colour (the window colour
// unless set). Lines are joined by CR LF with no break after the last.
class TMemo : public TWindow {
public:
    void Create(TContainer& parent, int id, const TRect& bounds,
                COLORREF color = GetSysColor(COLOR_WINDOW));
    void Clear();
    void AddLine(const std::wstring& line);
    // Appends Lines in one edit: the edit control's cost is per call (under Wine about 4 ms,
    // whatever the text), not per line.
    void AddLines(const std::vector<std::wstring>& lines);
    std::vector<std::wstring> Lines() const;
    // Suspends and resumes drawing around a batch of changes.
    void BeginUpdate();
    void EndUpdate();
    HBRUSH ControlColor(HDC dc) override;

protected:
    bool SubclassMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    std::unique_ptr<TSolidBrush> FBrush;
    int FLineCount = 0;
};

// A drop-down list ("ComboBox") of owner-drawn fixed-height items.
class TComboBox : public TWindow {
public:
    // Bounds.Height is the height of the open list.
    void Create(TContainer& parent, int id, const TRect& bounds, int itemHeight);
    void Clear();
    int Add(const std::wstring& text);
    int Count() const;
    int ItemIndex() const;
    void SetItemIndex(int index);
    // The selected item's text, or "" when none is selected.
    std::wstring Text() const;
    void DrawItem(const DRAWITEMSTRUCT& item) override;
    void MeasureItem(MEASUREITEMSTRUCT& item) override;
    void Rescale(int dpi) override;

private:
    int FItemHeight = 17; // at 96 DPI
};

// "msctls_progress32" with a range of 0 to Max.
class TProgressBar : public TWindow {
public:
    void Create(TContainer& parent, int id, const TRect& bounds, int max);
    void SetPosition(int position);
    int Position() const;
};

// A picture centred in its area on a background colour: a decoded RGB image or an icon. An
// owner-drawn "Static".
class TPicture : public TWindow {
public:
    void Create(TContainer& parent, int id, const TRect& bounds, COLORREF background);
    // Rows of 8-bit RGB pixels, top to bottom, shown at Width x Height pixels at 96 DPI.
    void SetRgb(int width, int height, const std::vector<uint8_t>& rgb);
    // The program's icon resource Id, Size pixels square at 96 DPI.
    void SetIcon(int id, int size);
    void DrawItem(const DRAWITEMSTRUCT& item) override;
    void Rescale(int dpi) override;

private:
    void Prepare();

    COLORREF FBackground = 0;
    int FIconId = 0;
    int FIconSize = 0;
    int FSourceWidth = 0;
    int FSourceHeight = 0;
    std::vector<uint8_t> FRgb;
    int FWidth = 0;
    int FHeight = 0;
    std::vector<uint8_t> FBgr; // bottom-up rows padded to 4 bytes, as a DIB keeps them
    HICON FIcon = nullptr;
};

// An etched line along the top of its rectangle.
class TBevel : public TGraphicControl {
public:
    explicit TBevel(const TRect& bounds) { Bounds = bounds; }
    void Paint(HDC dc) override;
};

// A filled rectangle.
class TShape : public TGraphicControl {
public:
    TShape(const TRect& bounds, COLORREF color) : FColor(color) { Bounds = bounds; }
    void Paint(HDC dc) override;

private:
    COLORREF FColor;
};

} // namespace ko::ui

namespace ko::ui {

// The dialog code of a read-only text control with Enter, Escape and Tab left to the dialog
// manager: edit controls claim every key, so Enter would not reach the default button and Tab
// would never leave the control.
LRESULT ReadOnlyDialogCode(LRESULT code, LPARAM message);

} // namespace ko::ui

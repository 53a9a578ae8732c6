// The markup link label as a windowless control of the toolkit: it draws on its parent
// container's surface with GDI and gets the mouse from it; all behaviour is the markup
// library's. Its plain text also lives in a hidden "Static" child of the parent, so that a
// control id finds it and its text reads like any label's.
#pragma once

#include <windows.h>

// The markup canvas has a TextOut of its own; windows.h's macro would rename it.
#undef TextOut

#include "markup/link_label.h"
#include "ui/container.h"
#include "ui/gdi_canvas.h"

#include <string>

namespace ko::ui {

class TUniLinkLabel : public TGraphicControl,
                      private markup::ILinkLabelHost,
                      public markup::TUniCustomLinkLabel {
public:
    // Loads the "LINKHAND" cursor of the program (the system's hand when the program has
    // none) and registers it as crLinkHand.
    explicit TUniLinkLabel(const TRect& bounds);
    ~TUniLinkLabel() override;

    // Creates the hidden text window with this id on the label's container; call it once the
    // label has been added. Its text follows every caption change.
    void CreateTextWindow(int id);
    HWND TextWindow() const { return FTextWindow; }
    // The visible text: tags left out, line breaks as CR LF, a paragraph as two.
    std::wstring PlainText() const;

    // The parent's colour is the background (as a Static on the parent would look) until
    // SetColor gives the label a colour of its own.
    bool ParentColor = true;
    void SetColor(markup::TColor color);
    // The font of the text; null takes the container's.
    void SetFont(HFONT font);
    using TUniCustomLinkLabel::SetFont;

    // Link rectangles and mouse positions of the markup label are relative to the label; these
    // give the container's coordinates of a point of the label.
    POINT ToParent(markup::TPoint point) const;

    void Paint(HDC dc) override;
    using TUniCustomLinkLabel::Paint;
    void MouseDown(POINT point) override;
    void MouseUp(POINT point) override;
    void MouseMove(POINT point) override;
    void MouseLeave() override;
    HCURSOR Cursor(POINT point) override;
    using TUniCustomLinkLabel::Cursor;
    bool Opaque() const override { return !Transparent(); }
    // Lays the text out again in the container's font for the new DPI.
    void Rescale(int dpi) override;
    // Repaints the label's rectangle.
    void Invalidate() override;

protected:
    void DoCaptionChanged() override;

private:
    // ILinkLabelHost
    markup::TRect ClientRect() const override;
    void SetClientHeight(int height) override;
    std::unique_ptr<markup::ICanvas> GetCanvas() override;
    void SetCursor(markup::TCursor cursor) override;

    markup::TPoint ToLabel(POINT point) const;
    HFONT CurrentFont();

    TFontVariants FFonts;
    HFONT FFont = nullptr;
    HWND FTextWindow = nullptr;
    // Paint itself asks for no repaint of what it is painting.
    bool FPainting = false;
};

} // namespace ko::ui

#include "ui/link_label.h"

namespace ko::ui {

namespace {

// A canvas of its own on the container, for redrawing a link between paints: clipped to the
// label and with the label's top-left corner as origin, as in Paint.
class TWindowCanvas : public TGdiCanvas {
public:
    TWindowCanvas(HWND window, HDC dc, TFontVariants& fonts, const TRect& bounds)
        : TGdiCanvas(Prepare(dc, bounds), fonts), FWindow(window), FDC(dc) {}
    ~TWindowCanvas() override { ReleaseDC(FWindow, FDC); }

private:
    static HDC Prepare(HDC dc, const TRect& bounds) {
        IntersectClipRect(dc, bounds.Left, bounds.Top, bounds.Left + bounds.Width,
                          bounds.Top + bounds.Height);
        SetViewportOrgEx(dc, bounds.Left, bounds.Top, nullptr);
        return dc;
    }
    HWND FWindow;
    HDC FDC;
};

} // namespace

TUniLinkLabel::TUniLinkLabel(const TRect& bounds)
    : TUniCustomLinkLabel(static_cast<markup::ILinkLabelHost&>(*this)) {
    Bounds = bounds;
    HCURSOR hand = LoadCursorA(GetModuleHandleA(nullptr), "LINKHAND");
    SetScreenCursor(markup::crLinkHand, hand ? hand : LoadCursorA(nullptr, IDC_HAND));
    Resize();
}

TUniLinkLabel::~TUniLinkLabel() {
    if (FTextWindow && IsWindow(FTextWindow))
        DestroyWindow(FTextWindow);
}

void TUniLinkLabel::CreateTextWindow(int id) {
    if (FTextWindow || !Parent())
        return;
    // Hidden: the label draws the text; the window only carries it.
    FTextWindow = CreateWindowExW(
        0, L"Static", PlainText().c_str(), WS_CHILD | SS_NOPREFIX, Bounds.Left, Bounds.Top,
        Bounds.Width, Bounds.Height, Parent()->Handle(),
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
}

std::wstring TUniLinkLabel::PlainText() const {
    const std::u16string text = markup::ShownText(Tree().Root());
    return std::wstring(text.begin(), text.end());
}

void TUniLinkLabel::SetColor(markup::TColor color) {
    ParentColor = false;
    TUniCustomLinkLabel::SetColor(color);
}

void TUniLinkLabel::SetFont(HFONT font) {
    FFont = font;
    if (FFonts.Base() != CurrentFont())
        FontChanged();
}

POINT TUniLinkLabel::ToParent(markup::TPoint point) const {
    return {point.X + Bounds.Left, point.Y + Bounds.Top};
}

markup::TPoint TUniLinkLabel::ToLabel(POINT point) const {
    return {int(point.x) - Bounds.Left, int(point.y) - Bounds.Top};
}

HFONT TUniLinkLabel::CurrentFont() {
    return FFont ? FFont : Parent() ? Parent()->Font() : nullptr;
}

void TUniLinkLabel::Paint(HDC dc) {
    FPainting = true;
    try {
        if (ParentColor && Parent())
            TUniCustomLinkLabel::SetColor(Parent()->Color());
        // Words measured in another font would wrap wrongly.
        if (FFonts.Base() != CurrentFont()) {
            FFonts.SetBase(CurrentFont());
            FontChanged();
        }
        // The container clips to the label; the label draws from its own top-left corner.
        SetViewportOrgEx(dc, Bounds.Left, Bounds.Top, nullptr);
        TGdiCanvas canvas(dc, FFonts);
        TUniCustomLinkLabel::Paint(canvas);
    } catch (...) {
        FPainting = false;
        throw;
    }
    FPainting = false;
}

void TUniLinkLabel::Rescale(int dpi) {
    TGraphicControl::Rescale(dpi);
    if (FTextWindow)
        SetWindowPos(FTextWindow, nullptr, Bounds.Left, Bounds.Top, Bounds.Width, Bounds.Height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    if (!Parent())
        return;
    FFonts.SetBase(CurrentFont());
    FontChanged();
}

void TUniLinkLabel::MouseDown(POINT point) {
    TUniCustomLinkLabel::MouseDown(ToLabel(point));
}

void TUniLinkLabel::MouseUp(POINT point) {
    TUniCustomLinkLabel::MouseUp(ToLabel(point));
}

void TUniLinkLabel::MouseMove(POINT point) {
    TUniCustomLinkLabel::MouseMove(ToLabel(point));
}

void TUniLinkLabel::MouseLeave() {
    TUniCustomLinkLabel::MouseLeave();
}

// Windows asks for the shape before it reports the move, so the shape comes from the point
// itself rather than from the last move.
HCURSOR TUniLinkLabel::Cursor(POINT point) {
    const bool overLink = Tree().HasPointIn(ToLabel(point), markup::ntLink);
    return ScreenCursor(overLink ? markup::crLinkHand : DefaultCursor);
}

void TUniLinkLabel::Invalidate() {
    if (!FPainting)
        TGraphicControl::Invalidate();
}

void TUniLinkLabel::DoCaptionChanged() {
    if (FTextWindow)
        SetWindowTextW(FTextWindow, PlainText().c_str());
    TUniCustomLinkLabel::DoCaptionChanged();
}

markup::TRect TUniLinkLabel::ClientRect() const {
    return {0, 0, Bounds.Width, Bounds.Height};
}

// Both the old and the new area are painted again: a label that shrank leaves background to
// erase below it, and one that grew has text below its old bottom that this paint clipped.
void TUniLinkLabel::SetClientHeight(int height) {
    if (height == Bounds.Height)
        return;
    const TRect old = Bounds;
    Bounds.Height = height;
    if (Parent()) {
        Parent()->InvalidateRect(old);
        Parent()->InvalidateRect(Bounds);
    }
    if (FTextWindow)
        SetWindowPos(FTextWindow, nullptr, 0, 0, Bounds.Width, height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::unique_ptr<markup::ICanvas> TUniLinkLabel::GetCanvas() {
    if (!Parent() || !Parent()->Handle())
        return std::make_unique<TWindowCanvas>(nullptr, GetDC(nullptr), FFonts, TRect{0, 0, 0, 0});
    HWND window = Parent()->Handle();
    return std::make_unique<TWindowCanvas>(window, GetDC(window), FFonts, Bounds);
}

void TUniLinkLabel::SetCursor(markup::TCursor cursor) {
    HCURSOR shape = ScreenCursor(cursor);
    ::SetCursor(shape ? shape : LoadCursorA(nullptr, IDC_ARROW));
}

} // namespace ko::ui

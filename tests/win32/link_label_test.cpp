// The markup link label on a real panel: clicks routed by the panel reach the link under the
// mouse (on every line piece of a wrapped one), the cursor turns into the hand over links, the
// label paints its own background unless transparent and fits its height to the text, and its
// hidden text window carries the plain text.
#include "ui/form.h"
#include "ui/link_label.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace ko;
using namespace ko::ui;

namespace {

struct TClick {
    int Number;
    std::u16string Text;
    bool operator==(const TClick&) const = default;
};

class LinkLabel : public ::testing::Test {
protected:
    void SetUp() override {
        Form.Create(L"Link label test", 400, 300, &Font);
        Panel.Create(Form, 100, {0, 0, 400, 300}, RGB(255, 255, 255));
        Form.Show();
    }

    TUniLinkLabel& AddLabel(const TRect& bounds, const std::u16string& caption) {
        auto& label = Panel.Add(std::make_unique<TUniLinkLabel>(bounds));
        label.SetCaption(caption);
        label.OnLinkClick = [this](markup::TUniCustomLinkLabel&, int number,
                                   const std::u16string& text) {
            Clicks.push_back({number, text});
        };
        PaintNow();
        return label;
    }
    void PaintNow() { UpdateWindow(Panel.Handle()); }

    // The line pieces of the label's link Number, in the panel's coordinates.
    static std::vector<RECT> LinkPieces(const TUniLinkLabel& label, int number) {
        std::vector<RECT> pieces;
        auto links = label.Tree().EnumerateNodes(markup::ntLink);
        while (links->HasNext()) {
            auto* link = static_cast<markup::TLinkNode*>(links->Next());
            if (link->Number() != number)
                continue;
            auto rects = link->GetRects();
            while (rects->HasNext()) {
                markup::TRect r;
                rects->Next(r);
                const POINT topLeft = label.ToParent({r.Left, r.Top});
                const POINT bottomRight = label.ToParent({r.Right, r.Bottom});
                pieces.push_back({topLeft.x, topLeft.y, bottomRight.x, bottomRight.y});
            }
        }
        return pieces;
    }
    static POINT Middle(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

    void Click(POINT p, UINT down = WM_LBUTTONDOWN, UINT up = WM_LBUTTONUP) {
        SendMessageW(Panel.Handle(), down, 0, MAKELPARAM(p.x, p.y));
        SendMessageW(Panel.Handle(), up, 0, MAKELPARAM(p.x, p.y));
    }
    COLORREF PixelAt(int x, int y) {
        HDC dc = GetDC(Panel.Handle());
        const COLORREF color = GetPixel(dc, x, y);
        ReleaseDC(Panel.Handle(), dc);
        return color;
    }

    TFont Font{L"Arial", -13};
    TForm Form;
    TPanel Panel;
    std::vector<TClick> Clicks;
};

TEST_F(LinkLabel, ClickOnALinkReportsItsNumberAndText) {
    auto& label = AddLabel({20, 30, 300, 100}, u"A <link>x</link> B <link>y</link>");
    const std::vector<RECT> y = LinkPieces(label, 1);
    ASSERT_EQ(y.size(), 1u);
    Click(Middle(y[0]));
    EXPECT_EQ(Clicks, (std::vector<TClick>{{1, u"y"}}));
    EXPECT_EQ(label.ActiveLink(), nullptr);
    // Any button clicks a link.
    Click(Middle(y[0]), WM_RBUTTONDOWN, WM_RBUTTONUP);
    Click(Middle(y[0]), WM_MBUTTONDOWN, WM_MBUTTONUP);
    EXPECT_EQ(Clicks, (std::vector<TClick>(3, {1, u"y"})));

    // Outside every link: no click, and the pressed link is back to normal.
    const std::vector<RECT> x = LinkPieces(label, 0);
    ASSERT_EQ(x.size(), 1u);
    SendMessageW(Panel.Handle(), WM_LBUTTONDOWN, MK_LBUTTON,
                 MAKELPARAM(Middle(x[0]).x, Middle(x[0]).y));
    ASSERT_NE(label.ActiveLink(), nullptr);
    EXPECT_EQ(label.ActiveLink()->State, markup::lsClicked);
    SendMessageW(Panel.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(380, 290));
    EXPECT_EQ(Clicks.size(), 3u);
    EXPECT_EQ(label.ActiveLink(), nullptr);

    // The hand over a link, the container's arrow elsewhere.
    EXPECT_NE(label.Cursor(Middle(y[0])), nullptr);
    EXPECT_EQ(label.Cursor(Middle(y[0])), ScreenCursor(markup::crLinkHand));
    EXPECT_EQ(label.Cursor(POINT{21, 31}), nullptr);
}

TEST_F(LinkLabel, AWrappedLinkIsClickableOnBothPieces) {
    auto& label =
        AddLabel({10, 10, 120, 100}, u"Go to <link>the first piece and then the second</link> now");
    const std::vector<RECT> pieces = LinkPieces(label, 0);
    ASSERT_GE(pieces.size(), 2u);
    EXPECT_GT(pieces[1].top, pieces[0].top);
    for (const RECT& piece : pieces) {
        EXPECT_LE(piece.right, 10 + 120);
        Click(Middle(piece));
    }
    EXPECT_EQ(Clicks.size(), pieces.size());
    for (const TClick& click : Clicks)
        EXPECT_EQ(click, (TClick{0, u"the first piece and then the second"}));
}

TEST_F(LinkLabel, BackgroundHeightAndPlainText) {
    auto& label = AddLabel({10, 10, 200, 150}, u"one<br>two<br><br>four");
    label.CreateTextWindow(7);
    // Auto height: four lines of the font, and the panel's colour as the background.
    TEXTMETRICW metrics;
    HDC dc = GetDC(Panel.Handle());
    HGDIOBJ old = SelectObject(dc, Font.Handle());
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(Panel.Handle(), dc);
    EXPECT_EQ(label.Bounds.Height, 4 * metrics.tmHeight);
    EXPECT_EQ(PixelAt(200, 12), RGB(255, 255, 255));

    // An opaque label with a colour of its own fills its area with it; a transparent one
    // shows the panel.
    label.SetColor(markup::clRed);
    PaintNow();
    EXPECT_EQ(PixelAt(200, 12), RGB(255, 0, 0));
    EXPECT_EQ(PixelAt(200, 10 + label.Bounds.Height + 2), RGB(255, 255, 255));
    label.SetTransparent(true);
    PaintNow();
    EXPECT_EQ(PixelAt(200, 12), RGB(255, 255, 255));

    // A shorter caption shrinks the label; the hidden window follows the caption.
    label.SetCaption(u"<b>only</b> &lt;one&gt; line");
    PaintNow();
    EXPECT_EQ(label.Bounds.Height, metrics.tmHeight);
    HWND text = GetDlgItem(Panel.Handle(), 7);
    ASSERT_NE(text, nullptr);
    EXPECT_FALSE(IsWindowVisible(text));
    wchar_t buffer[64] = {};
    GetWindowTextW(text, buffer, 64);
    EXPECT_STREQ(buffer, L"only <one> line");
    label.SetCaption(u"a<br>b<p>c");
    GetWindowTextW(text, buffer, 64);
    EXPECT_STREQ(buffer, L"a\r\nb\r\n\r\nc");
}

} // namespace

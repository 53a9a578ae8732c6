#include "markup/link_label.h"
#include "tests/native/markup_fake_canvas.h"

#include <gtest/gtest.h>

using namespace ko::markup;
using kotest::TFakeCanvas;

namespace {

// Draws on the host's one recording canvas.
class TCanvasRef : public ICanvas {
public:
    explicit TCanvasRef(TFakeCanvas& canvas) : FCanvas(canvas) {}
    TFontStyles FontStyle() const override { return FCanvas.FontStyle(); }
    void SetFontStyle(TFontStyles style) override { FCanvas.SetFontStyle(style); }
    void SetFontColor(TColor color) override { FCanvas.SetFontColor(color); }
    TSize TextExtent(std::u16string_view text) override { return FCanvas.TextExtent(text); }
    void TextOut(int x, int y, std::u16string_view text) override { FCanvas.TextOut(x, y, text); }
    void FillRect(const TRect& rect, TColor color) override { FCanvas.FillRect(rect, color); }

private:
    TFakeCanvas& FCanvas;
};

class TFakeHost : public ILinkLabelHost {
public:
    TRect ClientRect() const override { return {0, 0, Width, Height}; }
    void SetClientHeight(int height) override { Height = height; }
    void Invalidate() override { ++Invalidated; }
    std::unique_ptr<ICanvas> GetCanvas() override { return std::make_unique<TCanvasRef>(Redraw); }
    void SetCursor(TCursor cursor) override { Cursor = cursor; }

    int Width = 300;
    int Height = 17;
    int Invalidated = 0;
    TCursor Cursor = crDefault;
    TFakeCanvas Redraw;
};

using TClicks = std::vector<std::pair<int, std::u16string>>;

class MarkupLabel : public testing::Test {
protected:
    MarkupLabel() {
        Label.OnLinkClick = [this](TUniCustomLinkLabel&, int number, const std::u16string& text) {
            Clicks.emplace_back(number, text);
        };
        Label.Resize();
    }
    std::vector<kotest::TDrawnText> Paint() {
        TFakeCanvas canvas;
        Label.Paint(canvas);
        return canvas.Drawn;
    }
    void Show(const std::u16string& caption) {
        Label.SetCaption(caption);
        Paint();
    }
    // A point inside the given line piece of link Number.
    TPoint On(int number, size_t piece = 0) {
        auto links = Label.Tree().EnumerateNodes(ntLink);
        while (links->HasNext()) {
            auto* link = static_cast<TLinkNode*>(links->Next());
            if (link->Number() != number)
                continue;
            const TRect rect = static_cast<TStringNode*>(link->FindFirst(ntString))->Rects()[piece];
            return {(rect.Left + rect.Right) / 2, (rect.Top + rect.Bottom) / 2};
        }
        ADD_FAILURE() << "no link " << number;
        return {};
    }
    // The colours of the link redraws since the last call.
    std::vector<TColor> Redrawn() {
        std::vector<TColor> colors;
        for (const auto& piece : Host.Redraw.Drawn)
            colors.push_back(piece.Color);
        Host.Redraw.Drawn.clear();
        return colors;
    }

    static constexpr TPoint Outside{250, 5};
    TFakeHost Host;
    TUniCustomLinkLabel Label{Host};
    TClicks Clicks;
};

using TColors = std::vector<TColor>;

} // namespace

TEST_F(MarkupLabel, PressThenReleaseReportsTheLinkUnderTheRelease) {
    Label.HotLinks = true;
    Show(u"A <link>x</link> B <link>y</link>");
    Label.MouseDown(On(0));
    EXPECT_EQ(Label.ActiveLink()->State, lsClicked);
    EXPECT_EQ(Redrawn(), TColors{clRed});
    Label.MouseMove(On(1)); // a clicked link ignores moves and leaving
    Label.MouseLeave();
    EXPECT_EQ(Host.Cursor, crLinkHand);
    EXPECT_EQ(Redrawn(), TColors{});
    Label.MouseUp(On(1));
    EXPECT_EQ(Clicks, (TClicks{{1, u"y"}}));
    EXPECT_EQ(Redrawn(), TColors{clBlue});
    EXPECT_EQ(Label.ActiveLink(), nullptr);

    Label.MouseDown(On(0));
    Label.MouseUp(Outside);
    EXPECT_EQ(Clicks.size(), 1u);
    EXPECT_EQ(Redrawn(), (TColors{clRed, clBlue}));
    Label.MouseUp(On(0)); // no press at all
    EXPECT_EQ(Clicks.back(), (std::pair<int, std::u16string>{0, u"x"}));
    Label.MouseDown(On(0));
    Label.SetCaption(u"other");
    EXPECT_EQ(Label.ActiveLink(), nullptr);
}

TEST_F(MarkupLabel, HotLinksFollowTheMouse) {
    Label.HotLinks = true;
    Show(u"A <link>x</link> B <link>y</link>");
    Label.MouseMove(On(0));
    Label.MouseMove(On(0));
    EXPECT_EQ(Redrawn(), TColors{clPurple});
    Label.MouseMove(On(1));
    EXPECT_EQ(Redrawn(), (TColors{clBlue, clPurple}));
    Label.MouseMove(Outside);
    EXPECT_EQ(Redrawn(), TColors{clBlue});
    EXPECT_EQ(Host.Cursor, crDefault);
    Label.MouseMove(On(0));
    Label.MouseLeave();
    EXPECT_EQ(Redrawn(), (TColors{clPurple, clBlue}));
    Label.MouseMove(On(0));
    Label.MouseDown(On(1));
    EXPECT_EQ(Redrawn(), (TColors{clPurple, clBlue, clRed}));
    Label.MouseUp(On(1));
    EXPECT_EQ(Clicks, (TClicks{{1, u"y"}}));

    Label.HotLinks = false;
    Label.MouseMove(On(0));
    EXPECT_EQ(Host.Cursor, crLinkHand);
    EXPECT_EQ(Redrawn(), TColors{clBlue});
    EXPECT_EQ(Label.ActiveLink(), nullptr);
}

TEST_F(MarkupLabel, WrappedLinkAndDynamicLinkAreClickable) {
    Host.Width = 60;
    Label.Resize();
    Label.OnDynamicTagInit = [](TUniCustomLinkLabel&, std::u16string& source, int number) {
        source = number == 0 ? u"<link>dyn</link>" : u"";
    };
    Show(u"ab <link>cd ef</link> <dynamic>");
    Label.MouseUp(On(0, 1));
    Label.MouseUp(On(0, 0));
    Label.MouseUp(On(1));
    EXPECT_EQ(Clicks, (TClicks{{0, u"cd ef"}, {0, u"cd ef"}, {1, u"dyn"}}));
}

TEST_F(MarkupLabel, CaptionAndTextWriting) {
    int changed = 0;
    Label.OnCaptionChanged = [&](TUniCustomLinkLabel&) { ++changed; };
    Label.SetText({u"a<b>b", u"</b>cd"});
    EXPECT_EQ(Label.Caption(), u"a<b>b</b>cd");
    EXPECT_EQ(Label.Text(), std::vector<std::u16string>{Label.Caption()});
    const int invalidated = Host.Invalidated;
    Label.SetCaption(u"a<b>b</b>cd");
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(Host.Invalidated, invalidated);
}

// The text starts MarginHeight down and the same margin stays below it; docked to a side,
// the label keeps its height.
TEST_F(MarkupLabel, AutoHeightKeepsTheMarginsAroundTheText) {
    Label.SetMarginWidth(3);
    Label.SetMarginHeight(5);
    Label.SetCaption(u"a<br>b<br>c");
    const auto drawn = Paint();
    EXPECT_EQ(Host.Height, 3 * TFakeCanvas::LineHeight + 2 * 5);
    EXPECT_EQ(Label.TextRect(), (TRect{3, 5, 297, Host.Height}));
    EXPECT_EQ((std::pair{drawn[0].X, drawn[0].Y}), (std::pair{3, 5}));
    Label.Align = alLeft;
    Host.Height = 100;
    Label.Resize();
    Paint();
    EXPECT_EQ(Host.Height, 100);
}

TEST_F(MarkupLabel, FillsItsBackgroundUnlessTransparent) {
    Label.SetColor(0x00123456);
    TFakeCanvas opaque;
    Label.Paint(opaque);
    EXPECT_EQ(opaque.Filled, (std::vector<TRect>{{0, 0, 300, 17}}));
    EXPECT_EQ(opaque.FillColor, 0x00123456u);
    Label.SetTransparent(true);
    TFakeCanvas transparent;
    Label.Paint(transparent);
    EXPECT_TRUE(transparent.Filled.empty());
}

// Widths measured in the old font or link style must not decide the next layout, and a link
// is not redrawn on the old layout before that.
TEST_F(MarkupLabel, FontAndLinkStyleChangesMeasureAgain) {
    Host.Width = 65;
    Label.Resize();
    Show(u"x <link>abcd</link>");
    EXPECT_EQ(On(0).Y, 8);
    Label.SetLinkStyle({fsBold});
    Label.MouseDown({30, 8});
    EXPECT_EQ(Redrawn(), TColors{});
    Paint();
    EXPECT_EQ(On(0, 1).Y, 24); // behind the empty piece the wrap leaves on the first line
    Label.SetLinkStyle({fsUnderline});
    Paint();
    EXPECT_EQ(On(0).Y, 8);
    Label.SetFont({fsBold}, clBlack);
    Paint();
    EXPECT_EQ(On(0, 1).Y, 24);
}

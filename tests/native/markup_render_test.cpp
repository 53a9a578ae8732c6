#include "markup/parser.h"
#include "markup/renderer.h"
#include "tests/native/markup_fake_canvas.h"

#include <gtest/gtest.h>

using namespace ko::markup;
using kotest::TDrawnText;
using kotest::TFakeCanvas;

namespace {

std::unique_ptr<TNodeTree> Parse(std::u16string_view text) {
    ResetNodeCounters();
    auto tree = TDefaultParser().Parse(text);
    tree->Root().Color = clRed;
    return tree;
}

TLinkNode& FirstLink(const TNodeTree& tree) {
    return static_cast<TLinkNode&>(*tree.EnumerateNodes(ntLink)->Next());
}

std::vector<TDrawnText> Render(TDefaultRenderer& renderer, TNodeTree& tree, int right) {
    TFakeCanvas canvas;
    renderer.Render(canvas, {0, 0, right, 500}, tree);
    return canvas.Drawn;
}

} // namespace

// Redrawing a link alone must not move it: the pieces of the link and the words glued to it
// at both ends were measured with the runs around it, which a lone redraw does not see.
TEST(MarkupRender, HotLinkRedrawLandsOnTheSameRectangles) {
    auto tree = Parse(u"go <b>he</b><link>re and th</link>ere now");
    TDefaultRenderer renderer;
    std::vector<TDrawnText> linkPieces;
    for (TDrawnText piece : Render(renderer, *tree, 90))
        if (piece.Color == clBlue) {
            piece.Color = clPurple;
            linkPieces.push_back(piece);
        }
    TLinkNode& link = FirstLink(*tree);
    const TRectArray rects = tree->Root().LinkRects;
    ASSERT_EQ(rects.size(), 3u);
    EXPECT_EQ(rects[0].Top + 32, rects[2].Top);

    link.State = lsHot;
    TFakeCanvas canvas;
    renderer.RenderLink(canvas, {0, 0, 90, 500}, link);
    EXPECT_EQ(canvas.Drawn, linkPieces);
    tree->Root().CollectLinkRects();
    EXPECT_EQ(tree->Root().LinkRects, rects);
}

// The start of a link is where its text begins: a break before that text is not taken again.
TEST(MarkupRender, RedrawDoesNotRepeatBreaksBeforeTheLinksText) {
    auto tree = Parse(u"a <link><br><p>bc</link>");
    TDefaultRenderer renderer;
    Render(renderer, *tree, 90);
    const TRectArray rects = tree->Root().LinkRects;
    EXPECT_EQ(rects, (TRectArray{{0, 48, 20, 64}}));
    TFakeCanvas canvas;
    renderer.RenderLink(canvas, {0, 0, 90, 500}, FirstLink(*tree));
    tree->Root().CollectLinkRects();
    EXPECT_EQ(tree->Root().LinkRects, rects);
}

TEST(MarkupRender, StylesAccumulateDownwards) {
    TDefaultRenderer renderer;
    auto nested = Parse(u"<b><i>x</i></b><b><link>y</link></b>");
    const auto drawn = Render(renderer, *nested, 500);
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(drawn[0].Style, (TFontStyles{fsBold, fsItalic}));
    EXPECT_EQ(drawn[0].Color, clRed);
    EXPECT_EQ(drawn[1].Style, (TFontStyles{fsBold, fsUnderline}));
    EXPECT_EQ(drawn[1].Color, clBlue);
}

// The link is reached while "a" is still buffered: its start is the pen after "a".
TEST(MarkupRender, StartingPositionsAndTextHeight) {
    TDefaultRenderer renderer;
    auto tree = Parse(u"a<link>b</link>");
    Render(renderer, *tree, 500);
    EXPECT_EQ(FirstLink(*tree).StartPos, (TPoint{10, 0}));
    TFakeCanvas canvas;
    TNodeTree empty;
    renderer.Render(canvas, {0, 9, 100, 100}, empty);
    EXPECT_EQ(renderer.TextHeight(), 9 + TFakeCanvas::LineHeight);
}

// "ab" would fit on the first line, "abcd" does not: the unknown tag must not split them.
TEST(MarkupRender, UnknownTagsAreInvisibleAndDoNotSplitWords) {
    TDefaultRenderer renderer;
    auto tree = Parse(u"x ab<x>cd");
    const auto drawn = Render(renderer, *tree, 50);
    ASSERT_EQ(drawn.size(), 3u);
    EXPECT_EQ((std::pair{drawn[1].X, drawn[1].Y}), (std::pair{0, 16}));
    EXPECT_EQ(drawn[2].Text, u"cd");
    struct TForeignNode : TAreaNode {};
    tree->Root().Add<TForeignNode>();
    EXPECT_THROW(Render(renderer, *tree, 50), ENodeError);
}

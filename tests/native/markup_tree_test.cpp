#include "markup/parser.h"

#include <gtest/gtest.h>

using namespace ko::markup;

namespace {

std::unique_ptr<TNodeTree> Parse(std::u16string_view text) {
    ResetNodeCounters();
    return TDefaultParser().Parse(text);
}

std::vector<TLinkNode*> Links(const TNodeTree& tree) {
    std::vector<TLinkNode*> links;
    auto nodes = tree.EnumerateNodes(ntLink);
    while (nodes->HasNext())
        links.push_back(static_cast<TLinkNode*>(nodes->Next()));
    return links;
}

TStringNode& FirstText(const TParentNode& node) {
    return *static_cast<TStringNode*>(node.FindFirst(ntString));
}

} // namespace

TEST(MarkupTree, NewTreeIsEmptyInWindowTextColour) {
    TNodeTree tree;
    EXPECT_TRUE(tree.Root().Children().empty());
    EXPECT_TRUE(tree.Root().LinkRects.empty());
    EXPECT_TRUE(tree.Root().Style.Empty());
    EXPECT_EQ(tree.Root().Color, clWindowText);
    EXPECT_EQ(tree.Root().GetNodeType(), ntRoot);
}

TEST(MarkupTree, NestedLinkIsListedOnceAndCoveredByTheOuterOne) {
    auto tree = Parse(u"<link>a<b>b</b>c<link>d</link></link>");
    const auto links = Links(*tree);
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0]->GetText(), u"abcd");
    FirstText(*static_cast<TLinkNode*>(links[0]->FindFirst(ntLink))).AddRect({0, 0, 10, 16});
    auto rects = links[0]->GetRects();
    TRect rect;
    ASSERT_TRUE(rects->HasNext());
    rects->Next(rect);
    EXPECT_EQ(rect, (TRect{0, 0, 10, 16}));
    EXPECT_FALSE(rects->HasNext());
    EXPECT_THROW(rects->Next(rect), ENodeError);
}

// After a render the root answers link hit tests from its collected rectangles; before, from
// the text nodes. Edges count as inside; a link without text is never hit.
TEST(MarkupTree, LinkHitTests) {
    auto tree = Parse(u"x<link></link><link>a<b>b</b></link>");
    const auto links = Links(*tree);
    FirstText(*links[1]).AddRect({10, 0, 20, 16});
    TStringNode& bold = FirstText(*static_cast<TParentNode*>(links[1]->FindFirst(ntStyle)));
    bold.AddRect({20, 0, 30, 16});
    EXPECT_TRUE(tree->HasPointIn({30, 16}, ntLink));
    EXPECT_FALSE(tree->HasPointIn({31, 16}, ntLink));
    EXPECT_EQ(tree->NodeAt({25, 5}, ntLink), links[1]);
    EXPECT_EQ(tree->NodeAt({25, 5}, ntStyle), links[1]->FindFirst(ntStyle));
    EXPECT_EQ(tree->NodeAt({15, 5}, ntStyle), nullptr);
    tree->Root().CollectLinkRects();
    EXPECT_EQ(tree->Root().LinkRects, (TRectArray{{10, 0, 20, 16}, {20, 0, 30, 16}}));
    tree->Root().LinkRects = {{100, 100, 110, 116}};
    EXPECT_FALSE(tree->HasPointIn({25, 5}, ntLink));
    EXPECT_TRUE(tree->HasPointIn({100, 116}, ntLink));
}

TEST(MarkupTree, ReportsMisuseWithItsMessages) {
    struct TForeignNode : TAreaNode {};
    TForeignNode foreign;
    try {
        foreign.GetNodeType();
        FAIL();
    } catch (const ENodeError& e) {
        EXPECT_STREQ(e.what(), "TNode.GetNodeType: Unknown class");
    }
    TStringNode text(u"a");
    text.AddWordInfo({true, 3, 10});
    EXPECT_EQ(text.GetWordInfo(0).WordWidth, 10);
    try {
        text.GetWordInfo(1);
        FAIL();
    } catch (const ENodeError& e) {
        EXPECT_STREQ(e.what(), "TStringNode.GetWordInfo: Index out of bounds");
    }
    auto nodes = TNodeTree().EnumerateNodes(ntNode);
    EXPECT_THROW(nodes->Next(), ENodeError);
}

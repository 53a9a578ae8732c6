#include "markup/parser.h"

#include <gtest/gtest.h>

#include <string>

using namespace ko::markup;

namespace {

std::string Narrow(std::u16string_view text) {
    return std::string(text.begin(), text.end());
}

// The tree as text: "quoted" text, B(...) I(...) U(...), L<n>(...), D<n>(...), BR, P, ?tag.
std::string Describe(const TParentNode& parent) {
    std::string out;
    for (const auto& child : parent.Children()) {
        if (!out.empty())
            out += ' ';
        if (auto* text = dynamic_cast<TStringNode*>(child.get()))
            out += '"' + Narrow(text->Text()) + '"';
        else if (auto* action = dynamic_cast<TActionNode*>(child.get()))
            out += action->Kind() == akLineBreak ? "BR" : "P";
        else if (auto* unknown = dynamic_cast<TUnknownNode*>(child.get()))
            out += '?' + Narrow(unknown->TagText());
        else if (auto* style = dynamic_cast<TStyleNode*>(child.get()))
            out += std::string(1, "BIU"[style->FontStyle()]) + '(' + Describe(*style) + ')';
        else if (auto* link = dynamic_cast<TLinkNode*>(child.get()))
            out += 'L' + std::to_string(link->Number()) + '(' + Describe(*link) + ')';
        else if (auto* dynamic = dynamic_cast<TDynamicNode*>(child.get()))
            out += 'D' + std::to_string(dynamic->Number()) + '(' + Describe(*dynamic) + ')';
    }
    return out;
}

std::string Parsed(std::u16string_view text, IDynamicNodeHandler* handler = nullptr) {
    ResetNodeCounters();
    TDefaultParser parser;
    parser.SetDynamicNodeHandler(handler);
    return Describe(parser.Parse(text)->Root());
}

class TLinkSupplier : public IDynamicNodeHandler {
public:
    void InitDynamicNode(std::u16string& source, TDynamicNode& node) override {
        ++Calls;
        if (node.Number() == 0)
            source = u"<link>x</link><dynamic>";
    }
    int Calls = 0;
};

} // namespace

TEST(MarkupParser, ClosingTagsCloseTheInnermostElementWhateverTheirName) {
    EXPECT_EQ(Parsed(u"<B>x</b>"), "B(\"x\")");
    EXPECT_EQ(Parsed(u"<b>x</B>"), "B(\"x\")");
    EXPECT_EQ(Parsed(u"<b>x</i>y"), "B(\"x\") \"y\"");
    EXPECT_EQ(Parsed(u"<b><i>x</b>y</i>z"), "B(I(\"x\") \"y\") \"z\"");
    EXPECT_EQ(Parsed(u"a<br>b"), "\"a\" BR \"b\"");
    EXPECT_EQ(Parsed(u""), "");
}

TEST(MarkupParser, ClosingTagAtTopLevelEndsTheText) {
    EXPECT_EQ(Parsed(u"x</b>y"), "\"x\"");
    EXPECT_EQ(Parsed(u"<p>one</p>two"), "P \"one\"");
    EXPECT_EQ(Parsed(u"<b><br>x</br>y</b>z"), "B(BR \"x\") \"y\"");
}

TEST(MarkupParser, EntitiesAreDecodedOnceAndOnlyInText) {
    EXPECT_EQ(Parsed(u"&lt;b&gt;"), "\"<b>\"");
    EXPECT_EQ(Parsed(u"a&amp;lt;b"), "\"a&amp;lt;b\"");
    EXPECT_EQ(Parsed(u"&&lt;lt;"), "\"&<lt;\"");
    EXPECT_EQ(Parsed(u"&LT;<&lt;>"), "\"&LT;\" ?&lt;");
}

TEST(MarkupParser, RemovesOnlyCrLfPairs) {
    EXPECT_EQ(Parsed(u"Hello\r\nWorld"), "\"HelloWorld\"");
    EXPECT_EQ(Parsed(u"<b\r\n>x"), "B(\"x\")");
    EXPECT_EQ(Parsed(u"a\rb\nc\n\r"), "\"a\rb\nc\n\r\"");
}

TEST(MarkupParser, UnterminatedTagsRunToTheEnd) {
    EXPECT_EQ(Parsed(u"<b"), "B()");
    EXPECT_EQ(Parsed(u"x<link"), "\"x\" L0()");
    EXPECT_EQ(Parsed(u"x</b"), "\"x\"");
    EXPECT_EQ(Parsed(u"<a<b>t"), "?a<b \"t\"");
    TLinkSupplier handler;
    EXPECT_EQ(Parsed(u"<dynamic", &handler), "D0(L0(\"x\") D1())");
    EXPECT_EQ(handler.Calls, 1);
}

TEST(MarkupParser, UnknownTagsTakeNoChildrenAndMatchExactly) {
    EXPECT_EQ(Parsed(u"<b><a href=x>t</a>u</b>v"), "B(?a href=x \"t\") \"u\"");
    EXPECT_EQ(Parsed(u"<br/><b >x"), "?br/ ?b  \"x\"");
}

// The dynamic markup is parsed when its tag is met: its links take their numbers before the
// links after the tag, and a dynamic tag inside it calls nobody.
TEST(MarkupParser, DynamicMarkupIsParsedAtOnce) {
    TLinkSupplier handler;
    EXPECT_EQ(Parsed(u"<link>a</link><dynamic><link>b</link>", &handler),
              "L0(\"a\") D0(L1(\"x\") D1()) L2(\"b\")");
    EXPECT_EQ(handler.Calls, 1);
    EXPECT_EQ(Parsed(u"<link>a</link><link>b</link>"), "L0(\"a\") L1(\"b\")");
}

// Hostile nesting must not exhaust the stack of the parser, the renderer or the destructor.
TEST(MarkupParser, DeepNestingIsFlattenedWithItsClosingTagsBalanced) {
    std::u16string text;
    for (int i = 0; i < 100000; ++i)
        text += u"<b>";
    text += u"x";
    for (int i = 0; i < 100000; ++i)
        text += u"</i>";
    text += u"y";
    TDefaultParser parser;
    auto tree = parser.Parse(text);
    EXPECT_EQ(tree->Root().GetText(), u"xy");
    size_t depth = 0;
    for (const TNode* node = &tree->Root(); node->InheritsFrom(ntParent); ++depth) {
        const auto& children = static_cast<const TParentNode*>(node)->Children();
        if (children.empty())
            break;
        node = children.front().get();
    }
    EXPECT_EQ(depth, TDefaultParser::MaxDepth + 1);
}

TEST(MarkupParser, LexerAndStringTools) {
    TElementEnumerator lexer(u"a");
    TElement element;
    lexer.NextElement(element);
    EXPECT_TRUE(lexer.AtEnd());
    EXPECT_THROW(
        try { lexer.PeekElement(element); } catch (const EParserError& e) {
            EXPECT_STREQ(e.what(), "TElementEnumerator.GetNextElement: No more elements to return");
            throw;
        },
        EParserError);
    std::u16string text = u"aXa";
    EXPECT_TRUE(TStringTools::ReplaceAll(u"a", u"aa", text));
    EXPECT_EQ(text, u"aaXaa");
    EXPECT_FALSE(TStringTools::ReplaceAll(u"", u"b", text));
    TDefaultParser parser;
    auto tree = parser.ParseStrings({"<b>ab", "c\xE9"}, 1252);
    EXPECT_EQ(tree->Root().GetText(), u"abc\u00E9");
}

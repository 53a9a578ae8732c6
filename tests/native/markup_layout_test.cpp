#include "markup/text_handler.h"
#include "tests/native/markup_fake_canvas.h"

#include <gtest/gtest.h>

using namespace ko::markup;
using kotest::TFakeCanvas;

namespace {

// Glyphs are 10 pixels wide (bold 12), lines 16 high.
class TLayout {
public:
    explicit TLayout(const TRect& rect) : Handler(rect, Canvas, rect.Top, rect.Left) {}

    TStringNode& Add(std::u16string_view text, TFontStyles style = {}) {
        FNodes.push_back(std::make_unique<TStringNode>(text));
        Handler.AddText(*FNodes.back(), style, clBlack);
        return *FNodes.back();
    }
    // "x,y text" for every piece drawn.
    std::vector<std::string> Drawn() {
        Handler.EmptyBuffer();
        std::vector<std::string> pieces;
        for (const auto& piece : Canvas.Drawn)
            pieces.push_back(std::to_string(piece.X) + ',' + std::to_string(piece.Y) + ' ' +
                             std::string(piece.Text.begin(), piece.Text.end()));
        return pieces;
    }

    TFakeCanvas Canvas;
    TTextHandler Handler;

private:
    std::vector<std::unique_ptr<TStringNode>> FNodes;
};

using TPieces = std::vector<std::string>;

} // namespace

TEST(MarkupLayout, ReachingTheRightEdgeExactlyWraps) {
    TLayout exact({0, 0, 70, 500});
    TStringNode& text = exact.Add(u"aaa bbb");
    EXPECT_EQ(exact.Drawn(), (TPieces{"0,0 aaa", "0,16 bbb"}));
    EXPECT_EQ(text.Rects(), (TRectArray{{0, 0, 40, 16}, {0, 16, 30, 32}}));
    TLayout wider({0, 0, 71, 500});
    wider.Add(u"aaa bbb");
    EXPECT_EQ(wider.Drawn(), (TPieces{"0,0 aaa bbb"}));
}

// Only the first word of the area, at its top-left corner, stays however wide. An over-wide word
// at the start of a later line goes one line down and leaves an empty piece behind.
TEST(MarkupLayout, OnlyTheFirstWordOfTheAreaIsNeverWrapped) {
    TLayout first({0, 0, 20, 500});
    first.Add(u"abcdef");
    EXPECT_EQ(first.Drawn(), (TPieces{"0,0 abcdef"}));
    TLayout later({0, 0, 50, 500});
    later.Add(u"x");
    later.Handler.AddLineBreak();
    TStringNode& wide = later.Add(u"abcdef gh");
    EXPECT_EQ(later.Drawn(), (TPieces{"0,0 x", "0,32 abcdef", "0,48 gh"}));
    EXPECT_EQ(wide.Rects(), (TRectArray{{0, 16, 0, 32}, {0, 32, 70, 48}, {0, 48, 20, 64}}));
    TLayout behind({0, 0, 50, 500});
    behind.Add(u"ab abcdef");
    EXPECT_EQ(behind.Drawn(), (TPieces{"0,0 ab", "0,16 abcdef"}));
}

// A blank alone never wraps, a trailing blank does not count towards overflow, and a wrapped
// piece is drawn without its trailing blanks while its rectangle keeps them.
TEST(MarkupLayout, BlanksDoNotOverflow) {
    TLayout layout({0, 0, 50, 500});
    TStringNode& text = layout.Add(u"aaaa  b");
    EXPECT_EQ(layout.Drawn(), (TPieces{"0,0 aaaa", "0,16 b"}));
    EXPECT_EQ(text.Rects()[0], (TRect{0, 0, 60, 16}));
    TLayout fits({0, 0, 70, 500});
    fits.Add(u"ab abc d");
    EXPECT_EQ(fits.Drawn(), (TPieces{"0,0 ab abc", "0,16 d"}));
}

// "wo" bold and "rd next" plain make one word "word ": alone "wo" would still fit on the first
// line, together they wrap, and the plain run continues behind the bold one.
TEST(MarkupLayout, WordAcrossStylesWrapsAsOne) {
    TLayout layout({0, 0, 70, 500});
    layout.Add(u"xx ");
    TStringNode& bold = layout.Add(u"wo", {fsBold});
    TStringNode& rest = layout.Add(u"rd next");
    EXPECT_EQ(layout.Drawn(), (TPieces{"0,0 xx ", "0,16 wo", "24,16 rd", "0,32 next"}));
    EXPECT_EQ(bold.Rects(), (TRectArray{{30, 0, 30, 16}, {0, 16, 24, 32}}));
    EXPECT_TRUE(rest.Glued);
    EXPECT_EQ(rest.GetWordInfo(0).WordWidth, 0);
}

// The blank that ends a compound word stays out of the overflow test only when the word ends in
// the last buffered run: "wo"+"rd " is 54 wide with its blank, 44 without, from x = 30.
TEST(MarkupLayout, GluedWordsTrailingBlankCountsUnlessItEndsTheBuffer) {
    TLayout last({0, 0, 80, 500});
    last.Add(u"xx ");
    last.Add(u"wo", {fsBold});
    last.Add(u"rd next");
    EXPECT_EQ(last.Drawn(), (TPieces{"0,0 xx ", "30,0 wo", "54,0 rd", "0,16 next"}));
    TLayout more({0, 0, 80, 500});
    more.Add(u"xx ");
    more.Add(u"wo", {fsBold});
    more.Add(u"rd next");
    more.Add(u"x", {fsBold});
    EXPECT_EQ(more.Drawn(), (TPieces{"0,0 xx ", "0,16 wo", "24,16 rd", "0,32 next", "40,32 x"}));
}

TEST(MarkupLayout, LineAndParagraphBreaks) {
    TLayout layout({5, 7, 500, 500});
    layout.Add(u"a");
    layout.Handler.AddLineBreak();
    layout.Add(u"b");
    layout.Handler.AddParagraphBreak();
    layout.Add(u"c");
    layout.Handler.AddLineBreak();
    layout.Handler.AddLineBreak();
    layout.Add(u"d");
    EXPECT_EQ(layout.Drawn(), (TPieces{"5,7 a", "5,23 b", "5,55 c", "5,87 d"}));
    EXPECT_EQ(layout.Handler.TextBottom(), 87 + 16);
}

// The line height is measured without style, and the canvas keeps its style.
TEST(MarkupLayout, TextBottomOfOneLine) {
    TFakeCanvas canvas;
    canvas.Style = {fsBold};
    TTextHandler handler({3, 7, 500, 500}, canvas, 7, 3);
    EXPECT_EQ(canvas.Style, TFontStyles{fsBold});
    TStringNode text(u"one line");
    handler.AddText(text, {fsBold}, clBlack);
    handler.EmptyBuffer();
    EXPECT_EQ(handler.TextBottom(), 7 + 16);
    EXPECT_EQ(handler.CurrentX(), 3 + 8 * 12);
}

TEST(MarkupLayout, WordsEndAfterOneBlank) {
    TWordEnumerator words(u"ab  cd");
    std::u16string word;
    std::vector<std::u16string> all;
    while (words.HasNext()) {
        words.Next(word);
        all.push_back(word);
    }
    EXPECT_EQ(all, (std::vector<std::u16string>{u"ab ", u" ", u"cd"}));
    EXPECT_EQ(words.Count(), 3);
    try {
        words.Peek(word);
        FAIL();
    } catch (const ETextHandlerError& e) {
        EXPECT_STREQ(e.what(), "TWordEnumerator.GetNext: No more words to return");
    }
}

// Japanese sets no blanks: lines break between its characters, never before a full stop.
TEST(MarkupLayout, JapaneseWrapsBetweenCharactersButNotBeforeAFullStop) {
    TLayout layout({0, 0, 50, 500});
    TStringNode& text = layout.Add(u"\u65E5\u672C\u8A9E\u306E\u3002\u6587 EA");
    layout.Drawn();
    EXPECT_EQ(text.Rects(), (TRectArray{{0, 0, 30, 16}, {0, 16, 40, 32}, {0, 32, 20, 48}}));
}

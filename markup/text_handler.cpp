#include "markup/text_handler.h"

namespace ko::markup {

namespace {

bool BeginsWithBlank(std::u16string_view text) {
    return !text.empty() && text.front() == u' ';
}
bool EndsWithBlank(std::u16string_view text) {
    return !text.empty() && text.back() == u' ';
}

// Chinese and Japanese set no blanks between words: a line may break after any of their
// characters, kana and punctuation included (Korean, which has blanks, breaks at those).
bool BreaksAfter(char16_t c) {
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFF00 && c <= 0xFFEF);
}

// What never begins a line: closing punctuation, the prolonged sound mark, small kana, and a
// blank, which stays with the word before it.
bool StaysWithPrevious(char16_t c) {
    return std::u16string_view(u" ,.:;!?)]}\u3001\u3002\uFF0C\uFF0E\uFF1A\uFF1B\uFF01\uFF1F"
                               u"\uFF09\u300D\u300F\u3011\u3015\u3009\u300B\u30FC\u3005"
                               u"\u3063\u3083\u3085\u3087\u30C3\u30E3\u30E5\u30E7")
               .find(c) != std::u16string_view::npos;
}

std::u16string_view TrimRight(std::u16string_view text) {
    while (!text.empty() && text.back() <= u' ')
        text.remove_suffix(1);
    return text;
}

// Restores the canvas font style when it goes, also when measuring throws.
class TStyleKeeper {
public:
    explicit TStyleKeeper(ICanvas& canvas) : FCanvas(canvas), FStyle(canvas.FontStyle()) {}
    ~TStyleKeeper() { FCanvas.SetFontStyle(FStyle); }

private:
    ICanvas& FCanvas;
    TFontStyles FStyle;
};

int MeasureLineHeight(ICanvas& canvas) {
    TStyleKeeper keeper(canvas);
    canvas.SetFontStyle({});
    return canvas.TextHeight(u"fg");
}

} // namespace

void TWordEnumerator::SetText(std::u16string_view text) {
    FText = text;
    FCount = 0;
}

void TWordEnumerator::Reset() {
    FPosition = 0;
    FCount = 0;
}

void TWordEnumerator::GetNext(std::u16string& word, bool advance) {
    if (!HasNext())
        throw ETextHandlerError("TWordEnumerator.GetNext: No more words to return");
    size_t end = FPosition;
    while (end < FText.size()) {
        const char16_t c = FText[end++];
        if (c == u' ' || (BreaksAfter(c) && end < FText.size() && !StaysWithPrevious(FText[end])))
            break;
    }
    word = FText.substr(FPosition, end - FPosition);
    if (advance) {
        FPosition = end;
        ++FCount;
    }
}

TTextHandler::TTextHandler(const TRect& rect, ICanvas& canvas, int startY, int startX)
    : FRect(rect), FCanvas(canvas), FCurrentX(startX), FCurrentY(startY),
      FLineHeight(MeasureLineHeight(canvas)) {}

void TTextHandler::AddText(TStringNode& node, TFontStyles style, TColor color) {
    // A blank on either side of a run is a certain word boundary.
    if (BeginsWithBlank(node.Text()))
        EmptyBuffer();
    FBuffer.push_back(std::make_unique<TStringElement>(node, style, color));
    if (EndsWithBlank(node.Text()))
        EmptyBuffer();
}

void TTextHandler::AddParagraphBreak() {
    FBuffer.push_back(std::make_unique<TActionElement>(akParagraph));
    EmptyBuffer();
}

void TTextHandler::AddLineBreak() {
    FBuffer.push_back(std::make_unique<TActionElement>(akLineBreak));
    EmptyBuffer();
}

void TTextHandler::EmptyBuffer() {
    try {
        for (size_t i = 0; i < FBuffer.size(); ++i) {
            if (auto* action = FBuffer[i]->AsAction()) {
                FCurrentX = FRect.Left;
                FCurrentY += action->Kind == akParagraph ? 2 * FLineHeight : FLineHeight;
            } else if (FBuffer[i]->AsString()) {
                LayoutString(i);
            } else {
                throw ETextHandlerError("TTextHandler.EmptyBuffer: Unsupported "
                                        "TParentTextElement descendant encountered");
            }
        }
    } catch (...) {
        FBuffer.clear();
        throw;
    }
    FBuffer.clear();
}

void TTextHandler::WatchStartingPos(IStartingPosObserver* observer, TAreaNode& node) {
    auto* first = static_cast<TStringNode*>(node.FindFirst(ntString));
    FObservers.push_back({observer, &node, first});
}

void TTextHandler::NotifyStartingPos(TStringNode& node) {
    for (size_t i = 0; i < FObservers.size();) {
        if (FObservers[i].StringNode != &node) {
            ++i;
            continue;
        }
        const TNodeObserver record = FObservers[i];
        FObservers.erase(FObservers.begin() + std::ptrdiff_t(i));
        if (record.Observer)
            record.Observer->StartingPosFound(FCurrentX, FCurrentY, *record.Node);
    }
}

void TTextHandler::LayoutString(size_t index) {
    auto& element = static_cast<TStringElement&>(*FBuffer[index]);
    TStringNode& node = element.Node;
    NotifyStartingPos(node);
    FCanvas.SetFontStyle(element.Style);
    FCanvas.SetFontColor(element.Color);
    node.ClearRects();
    TWordEnumerator words(node.Text());
    std::u16string line, word;
    int width = 0; // of the line piece so far, continuations of its words included
    for (int k = 0; words.HasNext(); ++k) {
        words.Next(word);
        if (!node.HasWordInfo(k))
            node.AddWordInfo(MeasureWord(index, k, word, words.HasNext()));
        const TWordInfo info = node.GetWordInfo(k);
        width += info.WordWidth;
        const int effective = info.EndsWithSpace ? width - info.SpaceWidth : width;
        // A continuation was already placed with the word it continues. Only the very first
        // word of the area stays however wide; an over-wide word at the start of a later line
        // still goes one line down, leaving an empty piece behind.
        const bool continuation = node.Glued && k == 0;
        const bool topLeft = FCurrentX == FRect.Left && FCurrentY == FRect.Top && k == 0;
        if (FCurrentX + effective >= FRect.Right && word != u" " && !continuation && !topLeft) {
            DrawPiece(node, line, true);
            line.clear();
            FCurrentX = FRect.Left;
            FCurrentY += FLineHeight;
            width = info.WordWidth;
        } else if (continuation && words.HasNext()) {
            // Its width went into the word it continues; the words after it are placed
            // behind it on this line.
            width += FCanvas.TextWidth(word);
        }
        line += word;
    }
    DrawPiece(node, line, false);
    FCurrentX += FCanvas.TextWidth(line);
}

// The piece's rectangle includes trailing blanks, so that a link is hit up to the next word.
void TTextHandler::DrawPiece(TStringNode& node, const std::u16string& line, bool trim) {
    const std::u16string_view shown = trim ? TrimRight(line) : std::u16string_view(line);
    if (!shown.empty())
        FCanvas.TextOut(FCurrentX, FCurrentY, shown);
    node.AddRect(
        {FCurrentX, FCurrentY, FCurrentX + FCanvas.TextWidth(line), FCurrentY + FLineHeight});
}

TWordInfo TTextHandler::MeasureWord(size_t index, int ordinal, const std::u16string& word,
                                    bool more) {
    auto& element = static_cast<TStringElement&>(*FBuffer[index]);
    const bool continuation = element.Node.Glued && ordinal == 0;
    TWordInfo info;
    info.WordWidth = continuation ? 0 : FCanvas.TextWidth(word);
    info.EndsWithSpace = EndsWithBlank(word);
    info.SpaceWidth = FCanvas.TextWidth(u" ");
    if (!more && !continuation) {
        GlueFollowing(index, info);
        FCanvas.SetFontStyle(element.Style);
    }
    return info;
}

// The last word of a run goes on into the following runs while no blank separates them: its
// width is decided here, once, from all its pieces in their own styles, and the following
// pieces are marked as continuations.
void TTextHandler::GlueFollowing(size_t index, TWordInfo& info) {
    for (size_t j = index + 1; j < FBuffer.size(); ++j) {
        auto* previous = FBuffer[j - 1]->AsString();
        auto* next = FBuffer[j]->AsString();
        if (!previous || !next || next->Node.Text().empty() ||
            EndsWithBlank(previous->Node.Text()) || BeginsWithBlank(next->Node.Text()))
            return;
        FCanvas.SetFontStyle(next->Style);
        TWordEnumerator words(next->Node.Text());
        std::u16string piece;
        words.Next(piece);
        info.WordWidth += FCanvas.TextWidth(piece);
        next->Node.Glued = true;
        // Only a word that ends in the last buffered run leaves its trailing blank out of the
        // overflow test; one that ends in an earlier run keeps the first piece's answer, so its
        // blank counts and it wraps a blank's width sooner.
        if (j + 1 == FBuffer.size()) {
            info.EndsWithSpace = EndsWithBlank(piece);
            info.SpaceWidth = FCanvas.TextWidth(u" ");
        }
        if (words.HasNext())
            return;
    }
}

} // namespace ko::markup

// Lays text runs out in a rectangle with word wrap and draws them as it goes. Runs are
// buffered until a word boundary is certain, so that a word whose letters lie in several runs
// (part bold, part not) wraps as one word. The layout leaves in every text node the rectangle
// of each line piece and a cache of its word widths; with the cache, laying out one link alone
// later takes exactly the wrap decisions of the full layout.
#pragma once

#include "markup/canvas.h"
#include "markup/node_tree.h"

#include <memory>
#include <string>
#include <vector>

namespace ko::markup {

// A word is a stretch up to and including the next blank, or to the end of the text: "ab  cd"
// gives "ab ", " " and "cd". A Chinese or Japanese character ends a word too, unless what
// follows may not begin a line (closing punctuation, small kana, a blank).
class IWordEnumerator {
public:
    virtual ~IWordEnumerator() = default;
    // Replaces the text and zeroes the count; the position stays.
    virtual void SetText(std::u16string_view text) = 0;
    virtual const std::u16string& GetText() const = 0;
    virtual int Count() const = 0; // words taken so far
    // Both throw ETextHandlerError when no word is left.
    virtual void Next(std::u16string& word) = 0;
    virtual void Peek(std::u16string& word) = 0;
    virtual bool HasNext() const = 0;
    virtual void Reset() = 0;
};

class TWordEnumerator : public IWordEnumerator {
public:
    explicit TWordEnumerator(std::u16string_view text = {}) { SetText(text); }
    void SetText(std::u16string_view text) override;
    const std::u16string& GetText() const override { return FText; }
    int Count() const override { return FCount; }
    void Next(std::u16string& word) override { GetNext(word, true); }
    void Peek(std::u16string& word) override { GetNext(word, false); }
    bool HasNext() const override { return FPosition < FText.size(); }
    void Reset() override;

private:
    void GetNext(std::u16string& word, bool advance);
    std::u16string FText;
    size_t FPosition = 0;
    int FCount = 0;
};

// Told where the text of an area node begins once its first run is laid out.
class IStartingPosObserver {
public:
    virtual ~IStartingPosObserver() = default;
    virtual void StartingPosFound(int x, int y, TAreaNode& node) = 0;
};

class ITextHandler {
public:
    virtual ~ITextHandler() = default;
    virtual int CurrentX() const = 0;
    virtual int CurrentY() const = 0; // top of the current line
    virtual int LineHeight() const = 0;
    virtual ICanvas& Canvas() const = 0;
    virtual void AddText(TStringNode& node, TFontStyles style, TColor color) = 0;
    virtual void AddParagraphBreak() = 0;
    virtual void AddLineBreak() = 0;
    // Lays out and draws everything buffered.
    virtual void EmptyBuffer() = 0;
    virtual int TextBottom() const = 0;
    virtual bool BufferEmpty() const = 0;
    // Calls the observer (borrowed: it must outlive the handler) when the first text of Node's
    // subtree is laid out; never when Node has no text.
    virtual void WatchStartingPos(IStartingPosObserver* observer, TAreaNode& node) = 0;
};

// A buffered run or break.
class TStringElement;
class TActionElement;

class TParentTextElement {
public:
    virtual ~TParentTextElement() = default;
    // The element as the one kind or the other; null when it is not of that kind.
    virtual TStringElement* AsString() { return nullptr; }
    virtual TActionElement* AsAction() { return nullptr; }
};

class TStringElement : public TParentTextElement {
public:
    TStringElement(TStringNode& node, TFontStyles style, TColor color)
        : Node(node), Style(style), Color(color) {}
    TStringElement* AsString() override { return this; }
    TStringNode& Node;
    TFontStyles Style;
    TColor Color;
};

class TActionElement : public TParentTextElement {
public:
    explicit TActionElement(TActionKind kind) : Kind(kind) {}
    TActionElement* AsAction() override { return this; }
    TActionKind Kind;
};

class TTextHandler : public ITextHandler {
public:
    // LineHeight is the height of "fg" in the canvas font without style.
    TTextHandler(const TRect& rect, ICanvas& canvas, int startY, int startX);

    int CurrentX() const override { return FCurrentX; }
    int CurrentY() const override { return FCurrentY; }
    int LineHeight() const override { return FLineHeight; }
    ICanvas& Canvas() const override { return FCanvas; }
    void AddText(TStringNode& node, TFontStyles style, TColor color) override;
    void AddParagraphBreak() override;
    void AddLineBreak() override;
    void EmptyBuffer() override;
    int TextBottom() const override { return FCurrentY + FLineHeight; }
    bool BufferEmpty() const override { return FBuffer.empty(); }
    void WatchStartingPos(IStartingPosObserver* observer, TAreaNode& node) override;

private:
    struct TNodeObserver {
        IStartingPosObserver* Observer;
        TAreaNode* Node;
        TStringNode* StringNode;
    };

    void NotifyStartingPos(TStringNode& node);
    void LayoutString(size_t index);
    TWordInfo MeasureWord(size_t index, int ordinal, const std::u16string& word, bool more);
    void GlueFollowing(size_t index, TWordInfo& info);
    void DrawPiece(TStringNode& node, const std::u16string& line, bool trim);

    TRect FRect;
    ICanvas& FCanvas;
    int FCurrentX;
    int FCurrentY;
    int FLineHeight;
    std::vector<std::unique_ptr<TParentTextElement>> FBuffer;
    std::vector<TNodeObserver> FObservers;
};

} // namespace ko::markup

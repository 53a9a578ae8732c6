// The tag language of the label captions and its parser. Tags have no attributes, any closing
// tag closes the innermost open element whatever its name, and break tags have no closing
// form. Malformed markup is never an error: unknown tags become invisible nodes, an
// unterminated tag runs to the end of the text, a stray closing tag ends its level.
#pragma once

#include "markup/node_tree.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ko::markup {

enum TElementKind : uint8_t { ekOpenTag, ekCloseTag, ekText };

struct TElement {
    TElementKind Kind = ekText;
    std::u16string Text; // a tag's name as written, or the raw text
};

class IElementEnumerator {
public:
    virtual ~IElementEnumerator() = default;
    // Both throw EParserError at the end of the text.
    virtual void NextElement(TElement& element) = 0;
    virtual void PeekElement(TElement& element) = 0;
    virtual bool AtEnd() const = 0;
};

// Cuts a text (already free of CR LF pairs) into tag and text elements.
class TElementEnumerator : public IElementEnumerator {
public:
    explicit TElementEnumerator(std::u16string text) : FText(std::move(text)) {}
    void NextElement(TElement& element) override { GetNextElement(element, true); }
    void PeekElement(TElement& element) override { GetNextElement(element, false); }
    bool AtEnd() const override { return FPosition >= FText.size(); }

private:
    void GetNextElement(TElement& element, bool advance);
    std::u16string FText;
    size_t FPosition = 0;
    size_t FLastPosition = SIZE_MAX; // where FLast was read
    TElement FLast;
    size_t FLastEnd = 0;
};

// Supplies the markup a dynamic tag stands for.
class IDynamicNodeHandler {
public:
    virtual ~IDynamicNodeHandler() = default;
    // Source comes in empty; leave it empty for no content.
    virtual void InitDynamicNode(std::u16string& source, TDynamicNode& node) = 0;
};

class IParser {
public:
    virtual ~IParser() = default;
    // A new tree for the text; parsing never fails on malformed markup.
    virtual std::unique_ptr<TNodeTree> Parse(std::u16string_view text) = 0;
    // Parses the lines, joined by CR LF, after widening them from the code page.
    virtual std::unique_ptr<TNodeTree> ParseStrings(const std::vector<std::string>& lines,
                                                    int codePage) = 0;
    // The handler is borrowed, not owned; null for none.
    virtual void SetDynamicNodeHandler(IDynamicNodeHandler* handler) = 0;
    // Parses the text without a dynamic handler and appends its top-level nodes to Parent.
    virtual void ParseInto(TParentNode& parent, std::u16string_view text) = 0;
};

class TDefaultParser : public IParser {
public:
    // Elements nested deeper than this are not given nodes of their own: their content goes
    // to the deepest element, so that hostile markup cannot exhaust the stack of the parser,
    // the renderer or the tree's destruction.
    static constexpr size_t MaxDepth = 100;

    std::unique_ptr<TNodeTree> Parse(std::u16string_view text) override;
    std::unique_ptr<TNodeTree> ParseStrings(const std::vector<std::string>& lines,
                                            int codePage) override;
    void SetDynamicNodeHandler(IDynamicNodeHandler* handler) override { FHandler = handler; }
    void ParseInto(TParentNode& parent, std::u16string_view text) override;

    // The node an opening tag makes (the tag name compared without regard to ASCII case).
    virtual std::unique_ptr<TNode> CreateNode(std::u16string_view tagName);

private:
    void ParseNode(IElementEnumerator& lexer, TParentNode& root);
    IDynamicNodeHandler* FHandler = nullptr;
};

} // namespace ko::markup

#include "markup/parser.h"

#include "base/ascii_text.h"
#include "base/codepage.h"
#include "base/utf16.h"

namespace ko::markup {

namespace {

bool TakesChildren(const TNode& node) {
    return node.InheritsFrom(ntParent) && !node.InheritsFrom(ntDynamic);
}

// Only the seven ASCII tag names are defined, so ASCII upper-casing decides every match.
std::u16string UpperCase(std::u16string_view text) {
    std::u16string upper(text);
    for (char16_t& c : upper)
        c = AsciiUpper(c);
    return upper;
}

} // namespace

void TElementEnumerator::GetNextElement(TElement& element, bool advance) {
    if (AtEnd())
        throw EParserError("TElementEnumerator.GetNextElement: No more elements to return");
    if (FPosition != FLastPosition) {
        const size_t p = FPosition;
        size_t start = p;
        if (FText.compare(p, 2, u"</") == 0) {
            FLast.Kind = ekCloseTag;
            start = p + 2;
        } else if (FText[p] == u'<') {
            FLast.Kind = ekOpenTag;
            start = p + 1;
        } else {
            FLast.Kind = ekText;
        }
        // Nothing inside a tag is special: "<a<b>" is one tag named "a<b".
        const size_t stop = FText.find(FLast.Kind == ekText ? u'<' : u'>', start);
        const size_t end = stop == std::u16string::npos ? FText.size() : stop;
        FLast.Text = FText.substr(start, end - start);
        FLastEnd = FLast.Kind == ekText || stop == std::u16string::npos ? end : end + 1;
        FLastPosition = p;
    }
    element = FLast;
    if (advance)
        FPosition = FLastEnd;
}

std::unique_ptr<TNodeTree> TDefaultParser::Parse(std::u16string_view text) {
    auto tree = std::make_unique<TNodeTree>();
    // The lexer is local to the parse, so that a dynamic handler may start another parse.
    TElementEnumerator lexer(TStringTools::RemoveLineBreaks(text));
    ParseNode(lexer, tree->Root());
    return tree;
}

// Keeps the open elements on a stack of its own rather than recursing, and counts the
// elements beyond MaxDepth instead of giving them nodes, so that their closing tags still
// close the right level.
void TDefaultParser::ParseNode(IElementEnumerator& lexer, TParentNode& root) {
    std::vector<TParentNode*> open{&root};
    size_t flattened = 0;
    TElement element;
    while (!lexer.AtEnd()) {
        lexer.PeekElement(element);
        if (element.Kind == ekCloseTag) {
            lexer.NextElement(element);
            if (flattened > 0)
                --flattened;
            else if (open.size() == 1)
                return; // a closing tag at the top level ends the text
            else
                open.pop_back();
            continue;
        }
        lexer.NextElement(element);
        std::unique_ptr<TNode> node;
        if (element.Kind == ekOpenTag)
            node = CreateNode(element.Text);
        else if (element.Kind == ekText)
            node = std::make_unique<TStringNode>(element.Text);
        else
            throw EParserError("TDefaultParser.ParseNode: Unsupported state");
        const bool nests = element.Kind == ekOpenTag && TakesChildren(*node);
        if (nests && open.size() > MaxDepth) {
            ++flattened;
            continue;
        }
        TNode& added = open.back()->AddChild(std::move(node));
        if (nests)
            open.push_back(static_cast<TParentNode*>(&added));
    }
}

std::unique_ptr<TNode> TDefaultParser::CreateNode(std::u16string_view tagName) {
    const std::u16string name = UpperCase(tagName);
    if (name == u"B")
        return std::make_unique<TStyleNode>(fsBold);
    if (name == u"I")
        return std::make_unique<TStyleNode>(fsItalic);
    if (name == u"U")
        return std::make_unique<TStyleNode>(fsUnderline);
    if (name == u"LINK")
        return std::make_unique<TLinkNode>();
    if (name == u"BR")
        return std::make_unique<TActionNode>(akLineBreak);
    if (name == u"P")
        return std::make_unique<TActionNode>(akParagraph);
    if (name != u"DYNAMIC")
        return std::make_unique<TUnknownNode>(tagName);
    auto node = std::make_unique<TDynamicNode>();
    if (FHandler) {
        // At once, inside the outer parse: links of the dynamic markup take their numbers
        // before the links that follow the tag.
        std::u16string source;
        FHandler->InitDynamicNode(source, *node);
        if (!source.empty())
            ParseInto(*node, source);
    }
    return node;
}

void TDefaultParser::ParseInto(TParentNode& parent, std::u16string_view text) {
    TDefaultParser nested;
    auto tree = nested.Parse(text);
    for (auto& node : tree->Root().TakeChildren())
        parent.AddChild(std::move(node));
}

std::unique_ptr<TNodeTree> TDefaultParser::ParseStrings(const std::vector<std::string>& lines,
                                                        int codePage) {
    std::string joined;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            joined += "\r\n";
        joined += lines[i];
    }
    return Parse(Utf8ToUtf16(CodePageToUtf8(joined, codePage)));
}

} // namespace ko::markup

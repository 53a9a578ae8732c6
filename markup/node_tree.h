// The tree a parsed caption becomes. It is both the document the renderer walks and the
// hit-test structure of the label: the layout stores in every text node the rectangles of its
// line pieces and a cache of its word widths, and the label asks the tree which link lies
// under the mouse.
#pragma once

#include "markup/markup_types.h"
#include "markup/tools.h"

#include <memory>
#include <string>
#include <vector>

namespace ko::markup {

// One value per node class, in the order of the class hierarchy; also names a class (with its
// descendants) in searches.
enum TNodeType : uint8_t {
    ntNode,
    ntParent,
    ntArea,
    ntStyle,
    ntLink,
    ntDynamic,
    ntRoot,
    ntString,
    ntAction,
    ntUnknown
};
enum TLinkState : uint8_t { lsNormal, lsClicked, lsHot };
enum TActionKind : uint8_t { akLineBreak, akParagraph };

class TParentNode;

class TNode {
public:
    static constexpr TNodeType ClassType = ntNode;
    TNode() = default;
    virtual ~TNode() = default;
    TNode(const TNode&) = delete;
    TNode& operator=(const TNode&) = delete;

    TParentNode* Parent() const { return FParent; }
    // The type of the node's exact class; throws ENodeError for a class outside the table.
    TNodeType GetNodeType() const;
    // True when the node is of the class NodeClass names or of a class derived from it.
    bool InheritsFrom(TNodeType nodeClass) const;

protected:
    // Each node class names itself, so that a node's class is known without type descriptions,
    // which the Windows build leaves out.
    explicit TNode(TNodeType type) : FType(type) {}

private:
    friend class TParentNode;
    TParentNode* FParent = nullptr;
    TNodeType FType = ntNode;
};

// Node as a T (a node class), or null when it is not one.
template <class T>
T* NodeCast(TNode* node) {
    return node && node->InheritsFrom(T::ClassType) ? static_cast<T*>(node) : nullptr;
}
template <class T>
const T* NodeCast(const TNode* node) {
    return node && node->InheritsFrom(T::ClassType) ? static_cast<const T*>(node) : nullptr;
}

using TNodeList = std::vector<std::unique_ptr<TNode>>;

// A snapshot list of nodes. Next throws ENodeError past the end.
class INodeEnumerator {
public:
    virtual ~INodeEnumerator() = default;
    virtual TNode* Next() = 0;
    virtual bool HasNext() const = 0;
    virtual void Reset() = 0;
};

// A snapshot list of rectangles. Next throws ENodeError past the end.
class IRectEnumerator {
public:
    virtual ~IRectEnumerator() = default;
    virtual void Next(TRect& rect) = 0;
    virtual bool HasNext() const = 0;
    virtual void Reset() = 0;
};

class TParentNode : public TNode {
public:
    static constexpr TNodeType ClassType = ntParent;
    TParentNode() : TNode(ntParent) {}
    ~TParentNode() override { ClearChildren(); }

    const TNodeList& Children() const { return FChildren; }
    // Appends Node and becomes its parent; returns it.
    TNode& AddChild(std::unique_ptr<TNode> node);
    template <class T, class... Args>
    T& Add(Args&&... args) {
        return static_cast<T&>(AddChild(std::make_unique<T>(std::forward<Args>(args)...)));
    }
    // Frees the children from the last to the first.
    void ClearChildren();
    // Hands the children over to the caller, who becomes responsible for giving them a parent.
    TNodeList TakeChildren();

    // The first descendant of NodeClass in document order, not looking inside it; or null.
    TNode* FindFirst(TNodeType nodeClass) const;
    // The top-level descendants of NodeClass: a child of the class is listed and not entered,
    // any other parent node is entered.
    std::unique_ptr<INodeEnumerator> EnumerateNodes(TNodeType nodeClass) const;

protected:
    explicit TParentNode(TNodeType type) : TNode(type) {}

private:
    void CollectTopLevel(TNodeType nodeClass, std::vector<TNode*>& nodes) const;
    TNodeList FChildren;
};

// A node whose text is drawn in a style and colour of its own, and whose hit test is the
// rectangles of its text.
class TAreaNode : public TParentNode {
public:
    static constexpr TNodeType ClassType = ntArea;
    TAreaNode() : TParentNode(ntArea) {}
    // Where its text begins, and the style and colour it was last rendered with.
    TPoint StartPos;
    TFontStyles Style;
    TColor Color = clBlack;

    virtual TFontStyles GetStyle() const { return Style; }
    virtual TColor GetColor() const { return Color; }
    // Some top-level descendant of NodeClass is an area node that contains the point.
    virtual bool HasPointIn(TPoint point, TNodeType nodeClass) const;

    // Some line piece of the text in the subtree contains the point.
    bool ContainsPoint(TPoint point) const;
    // The area node of NodeClass under the point, searching nested areas; or null.
    TAreaNode* NodeAt(TPoint point, TNodeType nodeClass) const;
    // The texts of the subtree, concatenated in document order.
    std::u16string GetText() const;
    // Copies of the line pieces of the subtree's texts, in document order.
    std::unique_ptr<IRectEnumerator> GetRects() const;

protected:
    explicit TAreaNode(TNodeType type) : TParentNode(type) {}
};

class TStyleNode : public TAreaNode {
public:
    static constexpr TNodeType ClassType = ntStyle;
    explicit TStyleNode(TFontStyle fontStyle) : TAreaNode(ntStyle), FFontStyle(fontStyle) {}
    TFontStyle FontStyle() const { return FFontStyle; }

private:
    TFontStyle FFontStyle;
};

class TLinkNode : public TAreaNode {
public:
    static constexpr TNodeType ClassType = ntLink;
    // Takes the next link number.
    TLinkNode();
    TLinkState State = lsNormal;
    int Number() const { return FNumber; }
    // The colour code of the state, which the renderer resolves to the label's link colour.
    TColor GetColor() const override;

private:
    int FNumber;
};

// A place whose markup the application supplies while the caption is parsed.
class TDynamicNode : public TAreaNode {
public:
    static constexpr TNodeType ClassType = ntDynamic;
    // Takes the next dynamic number.
    TDynamicNode();
    int Number() const { return FNumber; }

private:
    int FNumber;
};

class TRootNode : public TAreaNode {
public:
    static constexpr TNodeType ClassType = ntRoot;
    TRootNode() : TAreaNode(ntRoot) {}
    // The line pieces of every top-level link, as of the last full render.
    TRectArray LinkRects;
    void CollectLinkRects();
    // For links, the rectangles of the last full render when there are any.
    bool HasPointIn(TPoint point, TNodeType nodeClass) const override;
};

// The layout's measurement of one word of a text node.
struct TWordInfo {
    bool EndsWithSpace = false; // the word, with any continuation glued to it, ends in a blank
    int SpaceWidth = 0;         // one blank in the font the word was measured with
    int WordWidth = 0;          // what the word takes on its line, continuation included
};

class TStringNode : public TNode {
public:
    static constexpr TNodeType ClassType = ntString;
    // Keeps the text with its entities decoded.
    explicit TStringNode(std::u16string_view text);

    const std::u16string& Text() const { return FText; }
    // True when the node continues a word begun in an earlier text run.
    bool Glued = false;

    const TRectArray& Rects() const { return FRects; }
    void AddRect(const TRect& rect) { FRects.push_back(rect); }
    void ClearRects() { FRects.clear(); }
    bool ContainsPoint(TPoint point) const;

    bool HasWordInfo(int index) const { return index >= 0 && size_t(index) < FWordInfo.size(); }
    // Throws ENodeError for an index outside the cache.
    const TWordInfo& GetWordInfo(int index) const;
    void AddWordInfo(const TWordInfo& info) { FWordInfo.push_back(info); }
    void ClearWordInfo() { FWordInfo.clear(); }

private:
    std::u16string FText;
    TRectArray FRects;
    std::vector<TWordInfo> FWordInfo;
};

class TActionNode : public TNode {
public:
    static constexpr TNodeType ClassType = ntAction;
    explicit TActionNode(TActionKind kind) : TNode(ntAction), FKind(kind) {}
    TActionKind Kind() const { return FKind; }

private:
    TActionKind FKind;
};

// A tag the markup does not know: kept as written and never drawn.
class TUnknownNode : public TNode {
public:
    static constexpr TNodeType ClassType = ntUnknown;
    explicit TUnknownNode(std::u16string_view tagText) : TNode(ntUnknown), FTagText(tagText) {}
    const std::u16string& TagText() const { return FTagText; }

private:
    std::u16string FTagText;
};

class TNodeTree {
public:
    // An empty root with no style in the window text colour.
    TNodeTree();
    TRootNode& Root() const { return *FRoot; }
    void Clear() { FRoot->ClearChildren(); }
    TAreaNode* NodeAt(TPoint point, TNodeType nodeClass) const {
        return FRoot->NodeAt(point, nodeClass);
    }
    std::unique_ptr<INodeEnumerator> EnumerateNodes(TNodeType nodeClass) const {
        return FRoot->EnumerateNodes(nodeClass);
    }
    bool HasPointIn(TPoint point, TNodeType nodeClass) const {
        return FRoot->HasPointIn(point, nodeClass);
    }

private:
    std::unique_ptr<TRootNode> FRoot;
};

// Sets the process-wide link and dynamic numbering back to 0.
void ResetNodeCounters();

// The text Node shows, tags left out: a line break as CR LF, a paragraph break as two.
std::u16string ShownText(const TParentNode& node);

} // namespace ko::markup

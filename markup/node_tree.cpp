#include "markup/node_tree.h"

#include <typeinfo>

namespace ko::markup {

namespace {

// Shared by every label of the process; a label resets both before it parses its caption.
int LinkCounter = 0;
int DynamicCounter = 0;

class TTopLevelNodeEnumerator : public INodeEnumerator {
public:
    explicit TTopLevelNodeEnumerator(std::vector<TNode*> nodes) : FNodes(std::move(nodes)) {}
    TNode* Next() override {
        if (!HasNext())
            throw ENodeError("No more nodes to return");
        return FNodes[FIndex++];
    }
    bool HasNext() const override { return FIndex < FNodes.size(); }
    void Reset() override { FIndex = 0; }

private:
    std::vector<TNode*> FNodes;
    size_t FIndex = 0;
};

class TRectEnumerator : public IRectEnumerator {
public:
    explicit TRectEnumerator(TRectList rects) : FRects(std::move(rects)) {}
    void Next(TRect& rect) override {
        if (!HasNext())
            throw ENodeError("No more records to return");
        rect = FRects[FIndex++];
    }
    bool HasNext() const override { return FIndex < FRects.Count(); }
    void Reset() override { FIndex = 0; }

private:
    TRectList FRects;
    int FIndex = 0;
};

// Calls Visit for every text node of the subtree in document order.
template <class Visit>
void ForEachString(const TParentNode& parent, Visit&& visit) {
    for (const auto& child : parent.Children()) {
        if (auto* text = NodeCast<TStringNode>(child.get()))
            visit(*text);
        else if (auto* inner = NodeCast<TParentNode>(child.get()))
            ForEachString(*inner, visit);
    }
}

} // namespace

void ResetNodeCounters() {
    LinkCounter = 0;
    DynamicCounter = 0;
}

TNodeType TNode::GetNodeType() const {
#ifdef __cpp_rtti
    // A class derived outside this file passes for the node class it derives from; only its
    // type description tells it apart. The Windows build, which has none, makes all its nodes
    // here.
    const std::type_info& type = typeid(*this);
    if (type != typeid(TNode) && type != typeid(TParentNode) && type != typeid(TAreaNode) &&
        type != typeid(TStyleNode) && type != typeid(TLinkNode) && type != typeid(TDynamicNode) &&
        type != typeid(TRootNode) && type != typeid(TStringNode) && type != typeid(TActionNode) &&
        type != typeid(TUnknownNode))
        throw ENodeError("TNode.GetNodeType: Unknown class");
#endif
    return FType;
}

// The node classes in the order of their hierarchy: a parent's descendants follow it, areas
// last among them.
bool TNode::InheritsFrom(TNodeType nodeClass) const {
    switch (nodeClass) {
    case ntNode:
        return true;
    case ntParent:
    case ntArea:
        return FType >= nodeClass && FType <= ntRoot;
    default:
        return FType == nodeClass;
    }
}

TNode& TParentNode::AddChild(std::unique_ptr<TNode> node) {
    node->FParent = this;
    FChildren.push_back(std::move(node));
    return *FChildren.back();
}

void TParentNode::ClearChildren() {
    while (!FChildren.empty())
        FChildren.pop_back();
}

TNodeList TParentNode::TakeChildren() {
    TNodeList children = std::move(FChildren);
    FChildren.clear();
    for (auto& child : children)
        child->FParent = nullptr;
    return children;
}

TNode* TParentNode::FindFirst(TNodeType nodeClass) const {
    for (const auto& child : FChildren) {
        if (child->InheritsFrom(nodeClass))
            return child.get();
        if (auto* inner = NodeCast<TParentNode>(child.get()))
            if (TNode* found = inner->FindFirst(nodeClass))
                return found;
    }
    return nullptr;
}

void TParentNode::CollectTopLevel(TNodeType nodeClass, std::vector<TNode*>& nodes) const {
    for (const auto& child : FChildren) {
        if (child->InheritsFrom(nodeClass))
            nodes.push_back(child.get());
        else if (auto* inner = NodeCast<TParentNode>(child.get()))
            inner->CollectTopLevel(nodeClass, nodes);
    }
}

std::unique_ptr<INodeEnumerator> TParentNode::EnumerateNodes(TNodeType nodeClass) const {
    std::vector<TNode*> nodes;
    CollectTopLevel(nodeClass, nodes);
    return std::make_unique<TTopLevelNodeEnumerator>(std::move(nodes));
}

bool TAreaNode::ContainsPoint(TPoint point) const {
    bool found = false;
    ForEachString(*this,
                  [&](const TStringNode& text) { found = found || text.ContainsPoint(point); });
    return found;
}

bool TAreaNode::HasPointIn(TPoint point, TNodeType nodeClass) const {
    auto nodes = EnumerateNodes(nodeClass);
    while (nodes->HasNext()) {
        auto* area = NodeCast<TAreaNode>(nodes->Next());
        if (area && area->ContainsPoint(point))
            return true;
    }
    return false;
}

TAreaNode* TAreaNode::NodeAt(TPoint point, TNodeType nodeClass) const {
    auto areas = EnumerateNodes(ntArea);
    while (areas->HasNext()) {
        auto* area = static_cast<TAreaNode*>(areas->Next());
        if (!area->ContainsPoint(point))
            continue;
        if (area->InheritsFrom(nodeClass))
            return area;
        if (TAreaNode* inner = area->NodeAt(point, nodeClass))
            return inner;
    }
    return nullptr;
}

std::u16string TAreaNode::GetText() const {
    std::u16string text;
    ForEachString(*this, [&](const TStringNode& node) { text += node.Text(); });
    return text;
}

std::unique_ptr<IRectEnumerator> TAreaNode::GetRects() const {
    TRectList rects;
    ForEachString(*this, [&](const TStringNode& node) {
        for (const TRect& rect : node.Rects())
            rects.Add(rect);
    });
    return std::make_unique<TRectEnumerator>(std::move(rects));
}

TLinkNode::TLinkNode() : TAreaNode(ntLink), FNumber(LinkCounter++) {}

TColor TLinkNode::GetColor() const {
    switch (State) {
    case lsNormal:
        return clLinkNormal;
    case lsClicked:
        return clLinkClicked;
    case lsHot:
        return clLinkHot;
    }
    return Color;
}

TDynamicNode::TDynamicNode() : TAreaNode(ntDynamic), FNumber(DynamicCounter++) {}

void TRootNode::CollectLinkRects() {
    LinkRects.clear();
    auto links = EnumerateNodes(ntLink);
    while (links->HasNext()) {
        auto rects = static_cast<TLinkNode*>(links->Next())->GetRects();
        TRect rect;
        while (rects->HasNext()) {
            rects->Next(rect);
            LinkRects.push_back(rect);
        }
    }
}

bool TRootNode::HasPointIn(TPoint point, TNodeType nodeClass) const {
    if (nodeClass != ntLink || LinkRects.empty())
        return TAreaNode::HasPointIn(point, nodeClass);
    for (const TRect& rect : LinkRects)
        if (TGraphicTools::PointInRect(rect, point))
            return true;
    return false;
}

TStringNode::TStringNode(std::u16string_view text)
    : TNode(ntString), FText(TStringTools::DecodeEntities(std::u16string(text))) {}

bool TStringNode::ContainsPoint(TPoint point) const {
    for (const TRect& rect : FRects)
        if (TGraphicTools::PointInRect(rect, point))
            return true;
    return false;
}

const TWordInfo& TStringNode::GetWordInfo(int index) const {
    if (!HasWordInfo(index))
        throw ENodeError("TStringNode.GetWordInfo: Index out of bounds");
    return FWordInfo[size_t(index)];
}

std::u16string ShownText(const TParentNode& node) {
    std::u16string text;
    for (const auto& child : node.Children()) {
        const TNodeType type = child->GetNodeType();
        if (type == ntString)
            text += static_cast<const TStringNode&>(*child).Text();
        else if (type == ntAction)
            text += static_cast<const TActionNode&>(*child).Kind() == akParagraph ? u"\r\n\r\n"
                                                                                  : u"\r\n";
        else if (child->InheritsFrom(ntParent))
            text += ShownText(static_cast<const TParentNode&>(*child));
    }
    return text;
}

TNodeTree::TNodeTree() : FRoot(std::make_unique<TRootNode>()) {
    FRoot->Color = clWindowText;
}

} // namespace ko::markup

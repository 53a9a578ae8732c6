#include "markup/renderer.h"

namespace ko::markup {

namespace {

// Drops the text handler when the render ends, also when it fails.
class THandlerScope {
public:
    THandlerScope(std::unique_ptr<ITextHandler>& slot, std::unique_ptr<ITextHandler> handler)
        : FSlot(slot) {
        FSlot = std::move(handler);
    }
    ~THandlerScope() { FSlot.reset(); }

private:
    std::unique_ptr<ITextHandler>& FSlot;
};

} // namespace

void TDefaultRenderer::Render(ICanvas& canvas, const TRect& rect, TNodeTree& tree) {
    tree.Root().StartPos = {rect.Left, rect.Top};
    RenderNode(canvas, rect, tree.Root(), false);
    tree.Root().CollectLinkRects();
}

// A node's start is where its first text was laid out, after any breaks that precede that
// text inside the node: a redraw from there must not break the line again.
void TDefaultRenderer::RenderLink(ICanvas& canvas, const TRect& rect, TAreaNode& node) {
    RenderNode(canvas, rect, node, true);
}

void TDefaultRenderer::RenderNode(ICanvas& canvas, const TRect& rect, TAreaNode& node,
                                  bool fromFirstText) {
    THandlerScope scope(
        FHandler, std::make_unique<TTextHandler>(rect, canvas, node.StartPos.Y, node.StartPos.X));
    FSkipBreaks = fromFirstText;
    RenderArea(node, node.GetStyle(), node.GetColor());
    FHandler->EmptyBuffer();
    FTextHeight = FHandler->TextBottom();
}

void TDefaultRenderer::RenderArea(TAreaNode& node, TFontStyles style, TColor color) {
    // The start is taken when the node's first text is laid out: with runs still buffered,
    // or breaks before that text, the pen is not yet there.
    FHandler->WatchStartingPos(this, node);
    node.Style = style;
    node.Color = ResolveColor(color);
    for (const auto& child : node.Children()) {
        TFontStyles childStyle = style;
        TColor childColor = node.Color;
        switch (child->GetNodeType()) {
        case ntStyle:
            childStyle = style + static_cast<TStyleNode&>(*child).FontStyle();
            break;
        case ntLink:
            childStyle = FLinkStyle + style;
            childColor = FLinkColor;
            break;
        case ntString:
            FSkipBreaks = false;
            FHandler->AddText(static_cast<TStringNode&>(*child), childStyle, childColor);
            break;
        case ntAction:
            if (FSkipBreaks)
                break;
            if (static_cast<TActionNode&>(*child).Kind() == akLineBreak)
                FHandler->AddLineBreak();
            else
                FHandler->AddParagraphBreak();
            break;
        default:
            break; // unknown tags are invisible; dynamic nodes are walked below
        }
        if (auto* area = NodeCast<TAreaNode>(child.get()))
            RenderArea(*area, childStyle, childColor);
    }
}

TColor TDefaultRenderer::ResolveColor(TColor color) const {
    switch (color) {
    case clLinkNormal:
        return FLinkColor;
    case clLinkClicked:
        return FLinkColorClicked;
    case clLinkHot:
        return FLinkColorHot;
    default:
        return color;
    }
}

} // namespace ko::markup

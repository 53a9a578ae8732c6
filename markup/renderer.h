// Draws a node tree: walks it in document order, works out every run's style and colour from
// the nodes above it, and hands runs and breaks to a text handler. It can also redraw one
// link in place, in the colour of the link's current state.
#pragma once

#include "markup/canvas.h"
#include "markup/node_tree.h"
#include "markup/text_handler.h"

#include <memory>

namespace ko::markup {

class IRenderer {
public:
    virtual ~IRenderer() = default;
    virtual TColor LinkColor() const = 0;
    virtual void SetLinkColor(TColor color) = 0;
    virtual TColor LinkColorClicked() const = 0;
    virtual void SetLinkColorClicked(TColor color) = 0;
    virtual TColor LinkColorHot() const = 0;
    virtual void SetLinkColorHot(TColor color) = 0;
    virtual TFontStyles LinkStyle() const = 0;
    virtual void SetLinkStyle(TFontStyles style) = 0;
    // Draws the whole tree and records the link rectangles for hit tests.
    virtual void Render(ICanvas& canvas, const TRect& rect, TNodeTree& tree) = 0;
    // Draws one area node again where it was last drawn, in its current colour; its start is
    // where its first text was laid out.
    virtual void RenderLink(ICanvas& canvas, const TRect& rect, TAreaNode& node) = 0;
    // The bottom of the last line of the last render.
    virtual int TextHeight() const = 0;
};

class TDefaultRenderer : public IRenderer, public IStartingPosObserver {
public:
    TColor LinkColor() const override { return FLinkColor; }
    void SetLinkColor(TColor color) override { FLinkColor = color; }
    TColor LinkColorClicked() const override { return FLinkColorClicked; }
    void SetLinkColorClicked(TColor color) override { FLinkColorClicked = color; }
    TColor LinkColorHot() const override { return FLinkColorHot; }
    void SetLinkColorHot(TColor color) override { FLinkColorHot = color; }
    TFontStyles LinkStyle() const override { return FLinkStyle; }
    void SetLinkStyle(TFontStyles style) override { FLinkStyle = style; }
    void Render(ICanvas& canvas, const TRect& rect, TNodeTree& tree) override;
    void RenderLink(ICanvas& canvas, const TRect& rect, TAreaNode& node) override;
    int TextHeight() const override { return FTextHeight; }

    void StartingPosFound(int x, int y, TAreaNode& node) override { node.StartPos = {x, y}; }

protected:
    virtual void RenderArea(TAreaNode& node, TFontStyles style, TColor color);
    // The label's colour for a link colour code; any other colour unchanged.
    virtual TColor ResolveColor(TColor color) const;

private:
    void RenderNode(ICanvas& canvas, const TRect& rect, TAreaNode& node, bool fromFirstText);
    TColor FLinkColor = clBlue;
    TColor FLinkColorClicked = clRed;
    TColor FLinkColorHot = clPurple;
    TFontStyles FLinkStyle{fsUnderline};
    std::unique_ptr<ITextHandler> FHandler; // only during a render
    int FTextHeight = 0;
    bool FSkipBreaks = false; // a redraw has not reached the node's first text yet
};

} // namespace ko::markup

// The behaviour of the markup link label, apart from the window system: it parses its caption,
// draws it wrapped within its margins, grows or shrinks to fit it, shows a hand over links,
// tracks the hot and the clicked link and reports a click on a link. The control that puts it
// on a window implements ILinkLabelHost and forwards its paint, size, mouse and font
// notifications to it.
#pragma once

#include "markup/canvas.h"
#include "markup/node_tree.h"
#include "markup/parser.h"
#include "markup/renderer.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ko::markup {

// Cursors by the toolkit's index: 0 the default arrow, 1 the link hand.
using TCursor = int;
inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crLinkHand = 1;

// How the control is docked on its parent; auto height works only where the height is free.
enum TAlign : uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };

// What the label needs from the control it lives in. Coordinates are client coordinates of
// the control: (0, 0) is its top-left corner.
class ILinkLabelHost {
public:
    virtual ~ILinkLabelHost() = default;
    // (0, 0, width, height) of the control.
    virtual TRect ClientRect() const = 0;
    // Gives the control this client height; the label recomputes its text rectangle itself.
    virtual void SetClientHeight(int height) = 0;
    // Asks for a repaint of the whole control (which then calls Paint).
    virtual void Invalidate() = 0;
    // A canvas on the control for drawing outside Paint (a link redrawn in a new colour), with
    // the control's font selected.
    virtual std::unique_ptr<ICanvas> GetCanvas() = 0;
    // The pointer to show over the control from now on.
    virtual void SetCursor(TCursor cursor) = 0;
};

class TUniCustomLinkLabel;
using TLinkClickEvent =
    std::function<void(TUniCustomLinkLabel& sender, int linkNumber, const std::u16string& text)>;
using TDynamicTagInitEvent =
    std::function<void(TUniCustomLinkLabel& sender, std::u16string& source, int number)>;
using TLabelNotifyEvent = std::function<void(TUniCustomLinkLabel& sender)>;

class TUniCustomLinkLabel : private IDynamicNodeHandler {
public:
    // Null parts are made by CreateParser and CreateRenderer. Call Resize once the control
    // has its bounds.
    explicit TUniCustomLinkLabel(ILinkLabelHost& host, std::shared_ptr<IParser> parser = nullptr,
                                 std::shared_ptr<IRenderer> renderer = nullptr);
    ~TUniCustomLinkLabel() override;

    static std::shared_ptr<IParser> CreateParser();
    static std::shared_ptr<IRenderer> CreateRenderer();

    TDynamicTagInitEvent OnDynamicTagInit;
    TLabelNotifyEvent OnCaptionChanged;
    TLinkClickEvent OnLinkClick;

    const std::u16string& Caption() const { return FCaption; }
    // Parses the caption again unless it is unchanged.
    void SetCaption(const std::u16string& value);
    const std::vector<std::u16string>& Text() const { return FText; }
    // The lines become one caption, joined without separator.
    void SetText(const std::vector<std::u16string>& lines);

    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool value);
    TColor Color() const { return FColor; }
    void SetColor(TColor value);
    TColor LinkColor() const { return FRenderer->LinkColor(); }
    void SetLinkColor(TColor value);
    TColor LinkColorClicked() const { return FRenderer->LinkColorClicked(); }
    void SetLinkColorClicked(TColor value) { FRenderer->SetLinkColorClicked(value); }
    TColor LinkColorHot() const { return FRenderer->LinkColorHot(); }
    void SetLinkColorHot(TColor value) { FRenderer->SetLinkColorHot(value); }
    TFontStyles LinkStyle() const { return FRenderer->LinkStyle(); }
    void SetLinkStyle(TFontStyles value);
    bool HotLinks = false;
    bool AutoHeight() const { return FAutoHeight; }
    void SetAutoHeight(bool value);
    int MarginWidth() const { return FMarginWidth; }
    void SetMarginWidth(int value);
    int MarginHeight() const { return FMarginHeight; }
    void SetMarginHeight(int value);
    TAlign Align = alNone;
    TCursor DefaultCursor = crDefault;
    TCursor Cursor() const { return FCursor; }

    // The style and colour of the control's font; setting them is a font change.
    TFontStyles FontStyle() const { return FFontStyle; }
    TColor FontColor() const { return FFontColor; }
    void SetFont(TFontStyles style, TColor color);

    // Notifications from the control.
    void Paint(ICanvas& canvas);
    void Resize();
    void MouseDown(TPoint point);
    void MouseMove(TPoint point);
    void MouseUp(TPoint point);
    void MouseLeave();
    // The font changed (also its face or size): every word is measured again at the next paint.
    void FontChanged();

    const TRect& TextRect() const { return FTextRect; }
    TNodeTree& Tree() const { return *FTree; }
    TLinkNode* ActiveLink() const { return FActiveLink; }

protected:
    virtual void DoCaptionChanged();
    virtual void DoLinkClick(int linkNumber, const std::u16string& linkText);
    virtual void DoDynamicTagInit(std::u16string& source, int number);

private:
    void InitDynamicNode(std::u16string& source, TDynamicNode& node) override;
    void UpdateRootFont();
    void SetLinkState(TPoint point, TLinkState state);
    void ResetActiveLink();
    bool ActiveLinkClicked() const { return FActiveLink && FActiveLink->State == lsClicked; }
    void RedrawLink(TLinkNode& link);
    void DropLayout(bool measurements);
    void ShowCursor(TCursor cursor);

    ILinkLabelHost& FHost;
    std::shared_ptr<IParser> FParser;
    std::shared_ptr<IRenderer> FRenderer;
    std::unique_ptr<TNodeTree> FTree;
    TLinkNode* FActiveLink = nullptr;
    std::u16string FCaption;
    std::vector<std::u16string> FText;
    bool FTransparent = false;
    TColor FColor = clBtnFace;
    bool FAutoHeight = true;
    int FMarginWidth = 0;
    int FMarginHeight = 0;
    TRect FTextRect;
    TCursor FCursor = crDefault;
    TFontStyles FFontStyle;
    TColor FFontColor = clWindowText;
    // False while the rectangles and word widths in the tree do not match the current font,
    // link style and text rectangle: a link is then only redrawn by the next paint.
    bool FLaidOut = false;
};

} // namespace ko::markup

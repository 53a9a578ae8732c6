#include "markup/link_label.h"

#include <utility>

namespace ko::markup {

TUniCustomLinkLabel::TUniCustomLinkLabel(ILinkLabelHost& host, std::shared_ptr<IParser> parser,
                                         std::shared_ptr<IRenderer> renderer)
    : FHost(host), FParser(parser ? std::move(parser) : CreateParser()),
      FRenderer(renderer ? std::move(renderer) : CreateRenderer()),
      FTree(std::make_unique<TNodeTree>()) {
    FParser->SetDynamicNodeHandler(this);
    FRenderer->SetLinkColor(clBlue);
    FRenderer->SetLinkColorClicked(clRed);
    FRenderer->SetLinkColorHot(clPurple);
    FRenderer->SetLinkStyle({fsUnderline});
    UpdateRootFont();
}

TUniCustomLinkLabel::~TUniCustomLinkLabel() {
    FParser->SetDynamicNodeHandler(nullptr);
}

// Not make_shared: without type descriptions its control block asks the runtime to compare
// deleter tags, which brings the runtime's pool of shared-pointer locks into every Setup.exe.
std::shared_ptr<IParser> TUniCustomLinkLabel::CreateParser() {
    return std::shared_ptr<IParser>(new TDefaultParser);
}

std::shared_ptr<IRenderer> TUniCustomLinkLabel::CreateRenderer() {
    return std::shared_ptr<IRenderer>(new TDefaultRenderer);
}

void TUniCustomLinkLabel::SetCaption(const std::u16string& value) {
    if (value == FCaption)
        return;
    FCaption = value;
    FText = {value};
    FActiveLink = nullptr;
    FLaidOut = false;
    // An empty tree until the parse succeeds: a dynamic-tag handler may throw.
    FTree = std::make_unique<TNodeTree>();
    ResetNodeCounters();
    FTree = FParser->Parse(value);
    UpdateRootFont();
    FHost.Invalidate();
    DoCaptionChanged();
}

void TUniCustomLinkLabel::SetText(const std::vector<std::u16string>& lines) {
    std::u16string joined;
    for (size_t i = 0; i < lines.size(); ++i)
        joined += (i > 0 ? u"\r\n" : u"") + lines[i];
    SetCaption(TStringTools::RemoveLineBreaks(joined));
    FText = {FCaption};
}

void TUniCustomLinkLabel::SetTransparent(bool value) {
    if (value == FTransparent)
        return;
    FTransparent = value;
    FHost.Invalidate();
}

void TUniCustomLinkLabel::SetColor(TColor value) {
    if (value == FColor)
        return;
    FColor = value;
    FHost.Invalidate();
}

void TUniCustomLinkLabel::SetLinkColor(TColor value) {
    if (value == FRenderer->LinkColor())
        return;
    FRenderer->SetLinkColor(value);
    FHost.Invalidate();
}

// The link style changes the widths of the links' words just as a font change does.
void TUniCustomLinkLabel::SetLinkStyle(TFontStyles value) {
    if (value == FRenderer->LinkStyle())
        return;
    FRenderer->SetLinkStyle(value);
    DropLayout(true);
    FHost.Invalidate();
}

void TUniCustomLinkLabel::SetAutoHeight(bool value) {
    if (value == FAutoHeight)
        return;
    FAutoHeight = value;
    FHost.Invalidate();
}

void TUniCustomLinkLabel::SetMarginWidth(int value) {
    if (value == FMarginWidth)
        return;
    FMarginWidth = value;
    Resize();
    FHost.Invalidate();
}

void TUniCustomLinkLabel::SetMarginHeight(int value) {
    if (value == FMarginHeight)
        return;
    FMarginHeight = value;
    Resize();
    FHost.Invalidate();
}

void TUniCustomLinkLabel::SetFont(TFontStyles style, TColor color) {
    if (style == FFontStyle && color == FFontColor)
        return;
    FFontStyle = style;
    FFontColor = color;
    FontChanged();
}

void TUniCustomLinkLabel::FontChanged() {
    UpdateRootFont();
    DropLayout(true);
    FHost.Invalidate();
}

void TUniCustomLinkLabel::Paint(ICanvas& canvas) {
    if (!FTransparent)
        canvas.FillRect(FHost.ClientRect(), FColor);
    canvas.SetFontStyle(FFontStyle);
    canvas.SetFontColor(FFontColor);
    FRenderer->Render(canvas, FTextRect, *FTree);
    FLaidOut = true;
    if (FAutoHeight && (Align == alNone || Align == alTop || Align == alBottom)) {
        // The text starts MarginHeight down; the same margin stays free below it.
        const TRect client = FHost.ClientRect();
        const int height = FRenderer->TextHeight() + FMarginHeight;
        if (height != client.Bottom - client.Top) {
            FHost.SetClientHeight(height);
            Resize();
        }
    }
}

// The bottom margin is not subtracted: with auto height it lies below the text anyway.
void TUniCustomLinkLabel::Resize() {
    const TRect client = FHost.ClientRect();
    const TRect rect{client.Left + FMarginWidth, client.Top + FMarginHeight,
                     client.Right - FMarginWidth, client.Bottom};
    const bool moved =
        rect.Left != FTextRect.Left || rect.Top != FTextRect.Top || rect.Right != FTextRect.Right;
    FTextRect = rect;
    if (moved) {
        // The lines wrap differently now; only the bottom does not matter to the layout.
        DropLayout(false);
        FHost.Invalidate();
    }
}

void TUniCustomLinkLabel::MouseDown(TPoint point) {
    SetLinkState(point, lsClicked);
}

void TUniCustomLinkLabel::MouseMove(TPoint point) {
    if (FTree->HasPointIn(point, ntLink)) {
        ShowCursor(crLinkHand);
        if (HotLinks && !ActiveLinkClicked())
            SetLinkState(point, lsHot);
    } else {
        ShowCursor(DefaultCursor);
        if (HotLinks && !ActiveLinkClicked())
            ResetActiveLink();
    }
}

// The click fires on the release over a link, wherever the press began.
void TUniCustomLinkLabel::MouseUp(TPoint point) {
    try {
        if (FTree->HasPointIn(point, ntLink))
            if (auto* link = static_cast<TLinkNode*>(FTree->NodeAt(point, ntLink)))
                DoLinkClick(link->Number(), link->GetText());
    } catch (...) {
        ResetActiveLink();
        throw;
    }
    ResetActiveLink();
}

void TUniCustomLinkLabel::MouseLeave() {
    if (HotLinks && !ActiveLinkClicked())
        ResetActiveLink();
}

void TUniCustomLinkLabel::DoCaptionChanged() {
    if (OnCaptionChanged)
        OnCaptionChanged(*this);
}

void TUniCustomLinkLabel::DoLinkClick(int linkNumber, const std::u16string& linkText) {
    if (OnLinkClick)
        OnLinkClick(*this, linkNumber, linkText);
}

void TUniCustomLinkLabel::DoDynamicTagInit(std::u16string& source, int number) {
    if (OnDynamicTagInit)
        OnDynamicTagInit(*this, source, number);
}

void TUniCustomLinkLabel::InitDynamicNode(std::u16string& source, TDynamicNode& node) {
    source.clear();
    DoDynamicTagInit(source, node.Number());
}

void TUniCustomLinkLabel::UpdateRootFont() {
    FTree->Root().Style = FFontStyle;
    FTree->Root().Color = FFontColor;
}

void TUniCustomLinkLabel::SetLinkState(TPoint point, TLinkState state) {
    if (!FTree->HasPointIn(point, ntLink))
        return;
    auto* link = static_cast<TLinkNode*>(FTree->NodeAt(point, ntLink));
    if (!link || (link == FActiveLink && link->State == state))
        return;
    ResetActiveLink();
    link->State = state;
    FActiveLink = link;
    RedrawLink(*link);
}

void TUniCustomLinkLabel::ResetActiveLink() {
    if (!FActiveLink)
        return;
    TLinkNode* link = std::exchange(FActiveLink, nullptr);
    link->State = lsNormal;
    RedrawLink(*link);
}

void TUniCustomLinkLabel::RedrawLink(TLinkNode& link) {
    if (!FLaidOut)
        return;
    auto canvas = FHost.GetCanvas();
    FRenderer->RenderLink(*canvas, FTextRect, link);
}

// Stale rectangles would hit links where they no longer are, and stale widths would make the
// next layout wrap wrongly; the next paint builds both again.
void TUniCustomLinkLabel::DropLayout(bool measurements) {
    FLaidOut = false;
    FTree->Root().LinkRects.clear();
    auto texts = FTree->EnumerateNodes(ntString);
    while (texts->HasNext()) {
        auto* text = static_cast<TStringNode*>(texts->Next());
        text->ClearRects();
        if (measurements)
            text->ClearWordInfo();
    }
}

void TUniCustomLinkLabel::ShowCursor(TCursor cursor) {
    if (cursor == FCursor)
        return;
    FCursor = cursor;
    FHost.SetCursor(cursor);
}

} // namespace ko::markup

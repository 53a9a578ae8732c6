// Any caption parses, lays out and draws without failing, and redrawing any link alone puts
// its pieces exactly where the full render put them. The first byte sets the width; every
// other byte is one character, so that tags and entities are easy to reach.
#include "markup/parser.h"
#include "markup/renderer.h"
#include "tests/native/markup_fake_canvas.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace ko::markup;

namespace {

class TFixedDynamic : public IDynamicNodeHandler {
public:
    void InitDynamicNode(std::u16string& source, TDynamicNode& node) override {
        if (node.Number() % 2 == 0)
            source = u"d<link>y <b>z</b></link>w<dynamic>";
    }
};

TRectArray RectsOf(const TAreaNode& node) {
    TRectArray rects;
    auto pieces = node.GetRects();
    TRect rect;
    while (pieces->HasNext()) {
        pieces->Next(rect);
        rects.push_back(rect);
    }
    return rects;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const TRect rect{3, 2, 3 + data[0], 1000};
    std::u16string text;
    for (size_t i = 1; i < size; ++i)
        text += char16_t(data[i]);
    TFixedDynamic handler;
    TDefaultParser parser;
    parser.SetDynamicNodeHandler(&handler);
    ResetNodeCounters();
    auto tree = parser.Parse(text);
    kotest::TFakeCanvas canvas;
    TDefaultRenderer renderer;
    renderer.Render(canvas, rect, *tree);
    if (renderer.TextHeight() < rect.Top + kotest::TFakeCanvas::LineHeight)
        std::abort();
    auto links = tree->EnumerateNodes(ntLink);
    while (links->HasNext()) {
        auto& link = static_cast<TLinkNode&>(*links->Next());
        const TRectArray before = RectsOf(link);
        link.State = lsHot;
        renderer.RenderLink(canvas, rect, link);
        if (RectsOf(link) != before)
            std::abort();
        for (const TRect& piece : before)
            if (tree->NodeAt({piece.Left, piece.Top}, ntLink) == nullptr)
                std::abort();
    }
    return 0;
}

#include "ui/graphic_control.h"

#include "ui/container.h"
#include "ui/dpi.h"

#include <iterator>

namespace ko::ui {

namespace {

HCURSOR ScreenCursors[4] = {};

} // namespace

HCURSOR ScreenCursor(int index) {
    return index > 0 && index < int(std::size(ScreenCursors)) ? ScreenCursors[index] : nullptr;
}

void SetScreenCursor(int index, HCURSOR cursor) {
    if (index > 0 && index < int(std::size(ScreenCursors)))
        ScreenCursors[index] = cursor;
}

void TGraphicControl::Rescale(int dpi) {
    Bounds = Scale(LogicalBounds, dpi);
}

void TGraphicControl::Invalidate() {
    if (FParent)
        FParent->InvalidateRect(Bounds);
}

} // namespace ko::ui

// Windowless controls: drawn by their container on its surface and fed the mouse events that
// fall into their rectangles, and the cursor shapes they name.
#pragma once

#include "ui/window.h"

namespace ko::ui {

// The toolkit's cursor table: shapes by index, as windowless controls name them. Index 0 is the
// container's own arrow (null); an index never set is null too.
HCURSOR ScreenCursor(int index);
void SetScreenCursor(int index, HCURSOR cursor);

// A windowless control: drawn by its container on the container's surface, and fed the mouse
// events that fall into its rectangle.
class TGraphicControl {
public:
    virtual ~TGraphicControl() = default;

    // Where the control is drawn, in pixels of its container; LogicalBounds is the same at
    // 96 DPI, from which Bounds is scaled.
    TRect Bounds;
    TRect LogicalBounds;
    bool Visible = true;

    virtual void Paint(HDC dc) = 0;
    virtual void MouseDown(POINT /*point*/) {}
    virtual void MouseUp(POINT /*point*/) {}
    virtual void MouseMove(POINT /*point*/) {}
    virtual void MouseLeave() {}
    // The cursor over Point, or null for the container's.
    virtual HCURSOR Cursor(POINT /*point*/) { return nullptr; }
    // True when Paint covers every pixel of Bounds: the container then leaves that area out
    // when it erases, so that the control does not flicker through the background.
    virtual bool Opaque() const { return false; }

    // Bounds for a display of Dpi.
    virtual void Rescale(int dpi);
    // Repaints the control's rectangle; nothing before it has a container.
    void Invalidate();
    TContainer* Parent() const { return FParent; }

private:
    friend class TContainer;
    TContainer* FParent = nullptr;
};

} // namespace ko::ui

// Windows that host controls: windowed ones as their children, windowless ones on their surface.
#pragma once

#include "ui/gdi.h"
#include "ui/graphic_control.h"

#include <memory>
#include <vector>

namespace ko::ui {

// A window that hosts controls: windowed ones as its children, windowless ones on its surface.
class TContainer : public TWindow {
public:
    COLORREF Color() const { return FBrush.Color(); }
    void SetColor(COLORREF color);
    HFONT Font() const { return FFont; }

    // Takes the control; controls paint in the order added and the last one added wins the
    // mouse where they overlap.
    template <class T>
    T& Add(std::unique_ptr<T> control) {
        T& result = *control;
        AddGraphic(std::move(control));
        return result;
    }
    void InvalidateRect(const TRect& rect);
    void Rescale(int dpi) override;

protected:
    TContainer() : FBrush(GetSysColor(COLOR_BTNFACE)) {}
    void CreateContainer(const wchar_t* className, TContainer* parent, int id, const TRect& bounds,
                         DWORD style, DWORD exStyle, const wchar_t* caption);
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void AddGraphic(std::unique_ptr<TGraphicControl> control);
    bool HandleChildNotification(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool HandleMouse(UINT message, WPARAM wParam, LPARAM lParam);
    void EraseBackground(HDC dc);
    void Paint();
    TGraphicControl* HitTest(POINT point) const;

    TSolidBrush FBrush;
    HFONT FFont = nullptr;
    std::vector<std::unique_ptr<TGraphicControl>> FGraphics;
    TGraphicControl* FHot = nullptr;
    TGraphicControl* FCaptured = nullptr;
};

// A page or part of a page: a child container with its own background colour.
class TPanel : public TContainer {
public:
    void Create(TContainer& parent, int id, const TRect& bounds, COLORREF color);
};

} // namespace ko::ui

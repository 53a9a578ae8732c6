// The toolkit's windows. Every control is a real child window of a standard class, found from
// its handle through GWLP_USERDATA; containers (the form and its panels) hand each control the
// notifications Windows sends to the parent, and paint and feed the mouse to windowless
// controls that live on their surface.
#pragma once

#include "ui/gdi.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace ko::ui {

// A handler bound to an object, like a method pointer: small, and no std::function machinery
// for each of the form's handlers.
struct TNotifyEvent {
    void (*Code)(void* data) = nullptr;
    void* Data = nullptr;

    explicit operator bool() const { return Code != nullptr; }
    void operator()() const { Code(Data); }
};

// The event that calls Method on Object.
template <auto Method, class T>
TNotifyEvent Bind(T* object) {
    return {[](void* data) { (static_cast<T*>(data)->*Method)(); }, object};
}

struct TRect {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
};

class TContainer;

class TWindow {
public:
    TWindow() = default;
    virtual ~TWindow();
    TWindow(const TWindow&) = delete;
    TWindow& operator=(const TWindow&) = delete;

    HWND Handle() const { return FHandle; }
    int Id() const { return GetDlgCtrlID(FHandle); }
    // The DPI the window is laid out for.
    int Dpi() const { return FDpi; }
    // Bounds in 96-DPI pixels of the parent's client area, placed scaled to the window's DPI.
    void SetBounds(const TRect& bounds);
    void SetVisible(bool visible);
    bool Visible() const;
    void SetEnabled(bool enabled);
    bool Enabled() const;
    void SetCaption(const std::wstring& caption);
    std::wstring Caption() const;
    void SetFont(HFONT font);
    // Shows the window on top of its siblings.
    void BringToFront();

    // A free number for the program's own use (the Cancel button keeps its role here).
    int Tag = 0;

    // The object of a toolkit window, or null for any other window.
    static TWindow* FromHandle(HWND handle);

    // Notifications that Windows sends to the parent; the container hands them on.
    virtual void Command(int /*code*/) {}
    virtual void DrawItem(const DRAWITEMSTRUCT& /*item*/) {}
    virtual void MeasureItem(MEASUREITEMSTRUCT& /*item*/) {}
    // The brush for the background of a Static-like control, or null for the parent's.
    virtual HBRUSH ControlColor(HDC /*dc*/) { return nullptr; }
    // WM_VKEYTOITEM: -2 when handled, -1 for the list box's default action.
    virtual int KeyToItem(int /*key*/, int /*caret*/) { return -1; }
    // Lays the window out again for a display of Dpi: its place and whatever it draws in
    // pixels. Its font has already been replaced by the form.
    virtual void Rescale(int dpi);

protected:
    // Creates the window with the parent's font and DPI, Bounds (96-DPI pixels) scaled to that
    // DPI; Parent null makes a top-level window at Bounds as they are.
    void CreateHandle(const wchar_t* className, TContainer* parent, int id, const TRect& bounds,
                      DWORD style, DWORD exStyle = 0, const wchar_t* caption = L"",
                      void* createParam = nullptr);
    // Routes the window's own messages through SubclassMessage.
    void Subclass();
    // Return true with Result set to answer a message of a subclassed window.
    virtual bool SubclassMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/,
                                 LRESULT& /*result*/) {
        return false;
    }

    HWND FHandle = nullptr;
    int FDpi = 96;
    TRect FLogicalBounds;

private:
    friend class TContainer;
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR data);
    // The window being created: owner-drawn lists ask their parent for the item height before
    // CreateWindowEx returns, so before the handle carries the object.
    static TWindow* sCreating;
};

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

// The main window: fixed border, close box only, centred on the work area.
class TForm : public TContainer {
public:
    // Fonts of the form's controls, made again whenever the DPI changes; the caller owns them
    // and registers them before Create.
    void AddFont(TFont& font) { FFonts.push_back(&font); }
    // A window of the given client size in 96-DPI pixels, scaled to the system's DPI.
    void Create(const std::wstring& caption, int clientWidth, int clientHeight, TFont* font);
    // Shows the window; first lays it out for its monitor's DPI when that is not the system's.
    void Show();
    // Lays the window and every control out again for Dpi: sizes, places, fonts, pictures.
    void ApplyDpi(int dpi);
    // Closes the window as its close box does.
    void Close();
    // Repaints the whole window at once, also while the program is busy.
    void Repaint();

    // The button that Enter presses (DM_GETDEFID); 0 for none.
    int DefaultButton = 0;
    // The form whose destruction ends the message loop.
    bool MainForm = false;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void PlaceForDpi(const RECT* suggested);

    HWND FFocus = nullptr;
    int FClientWidth = 0;
    int FClientHeight = 0;
    std::vector<TFont*> FFonts;
};

} // namespace ko::ui

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

// No exception may unwind through Windows' own frames: a window procedure catches whatever a
// handler throws and passes it here, which shows it as a message box.
void ReportException(HWND window);

} // namespace ko::ui

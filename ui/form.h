// The main window.
#pragma once

#include "ui/container.h"

#include <string>
#include <vector>

namespace ko::ui {

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

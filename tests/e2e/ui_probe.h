// Reading and operating the windows of another process, as the end-to-end driver needs it:
// top-level windows by caption or class, controls by id, the current page of the wizard and
// the standard message box.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// The visible top-level window of one of Pids (any process when Pids is empty) with exactly
// this caption, or nullptr.
HWND FindTopLevel(const std::vector<DWORD>& pids, const std::wstring& caption);
// Any visible top-level window of one of Pids, or nullptr.
HWND FindVisibleTopLevel(const std::vector<DWORD>& pids);
// Every top-level window of this class.
std::vector<HWND> FindTopLevelsOfClass(const std::wstring& className);
// The visible standard message box ("#32770") owned by one of Pids, or nullptr.
HWND FindMessageBox(const std::vector<DWORD>& pids);

// Every descendant of Root with this control id, in the order EnumChildWindows gives them.
std::vector<HWND> FindControls(HWND root, int id);

std::wstring WindowText(HWND window);
std::wstring ClassName(HWND window);

// The lines of a control: a list box gives one line per item, "[x] " or "[ ] " (its item data
// says ticked) followed by the item's text; a combo box the same with "[x] " for the selected
// item; any other control gives its text split at line
// breaks, without the empty line after a final break.
std::vector<std::wstring> ControlLines(HWND control);

// Of several sibling windows, the one highest in their parent's z-order.
HWND Topmost(const std::vector<HWND>& siblings);

// What a message box shows.
struct TMessageBoxInfo {
    std::wstring Caption;
    std::wstring Icon; // "error", "warning", "information", "question", "none" or "unknown"
    std::wstring Text;
    std::vector<std::wstring> Buttons;
};
TMessageBoxInfo ReadMessageBox(HWND box);

// The kind of the icon a message box shows, judged from the colours of its pixels on the
// screen: the error icon is red, the warning icon yellow, information and question blue.
std::wstring IconKind(HWND iconControl);
// The pixels of a screen area as they are now, top-down rows of 0x00RRGGBB.
std::vector<uint32_t> ScreenPixels(const RECT& area);

// Saves the screen's pixels inside Area as a 24-bit BMP file; false when the file cannot be
// written.
bool SaveScreenArea(const RECT& area, const std::wstring& path);

} // namespace e2e

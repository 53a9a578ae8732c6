#include "tests/e2e/ui_probe.h"

#include <algorithm>
#include <cstdio>

namespace e2e {

namespace {

DWORD ProcessOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

bool Owned(const std::vector<DWORD>& pids, HWND window) {
    return pids.empty() || std::find(pids.begin(), pids.end(), ProcessOf(window)) != pids.end();
}

BOOL CALLBACK Collect(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

std::vector<HWND> TopLevels() {
    std::vector<HWND> windows;
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::vector<HWND> Descendants(HWND root) {
    std::vector<HWND> windows;
    EnumChildWindows(root, Collect, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

} // namespace

HWND FindTopLevel(const std::vector<DWORD>& pids, const std::wstring& caption) {
    for (HWND window : TopLevels())
        if (IsWindowVisible(window) && Owned(pids, window) && WindowText(window) == caption)
            return window;
    return nullptr;
}

HWND FindVisibleTopLevel(const std::vector<DWORD>& pids) {
    for (HWND window : TopLevels())
        if (IsWindowVisible(window) && !pids.empty() && Owned(pids, window))
            return window;
    return nullptr;
}

std::vector<HWND> FindTopLevelsOfClass(const std::wstring& className) {
    std::vector<HWND> found;
    for (HWND window : TopLevels())
        if (ClassName(window) == className)
            found.push_back(window);
    return found;
}

HWND FindMessageBox(const std::vector<DWORD>& pids) {
    for (HWND window : TopLevels())
        if (IsWindowVisible(window) && Owned(pids, window) && ClassName(window) == L"#32770")
            return window;
    return nullptr;
}

std::vector<HWND> FindControls(HWND root, int id) {
    std::vector<HWND> found;
    for (HWND window : Descendants(root))
        if (GetDlgCtrlID(window) == id)
            found.push_back(window);
    return found;
}

std::wstring WindowText(HWND window) {
    // WM_GETTEXT, not GetWindowText: the latter does not ask controls of other processes.
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length))
        return L"";
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, 5000, &copied);
    text.resize(std::min<size_t>(copied, length));
    return text;
}

std::wstring ClassName(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

namespace {

// The text of item Index of a list or combo box, through its length and text messages.
std::wstring ItemText(HWND control, LRESULT index, UINT lengthMessage, UINT textMessage) {
    const LRESULT length = SendMessageW(control, lengthMessage, index, 0);
    std::wstring text(length > 0 ? length + 1 : 1, L'\0');
    const LRESULT copied =
        SendMessageW(control, textMessage, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied > 0 ? copied : 0);
    return text;
}

} // namespace

std::vector<std::wstring> ControlLines(HWND control) {
    std::vector<std::wstring> lines;
    if (_wcsicmp(ClassName(control).c_str(), L"ListBox") == 0) {
        const LRESULT count = SendMessageW(control, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            const std::wstring text = ItemText(control, i, LB_GETTEXTLEN, LB_GETTEXT);
            const LRESULT data = SendMessageW(control, LB_GETITEMDATA, i, 0);
            lines.push_back((data == 1 ? L"[x] " : L"[ ] ") + text);
        }
        return lines;
    }
    if (_wcsicmp(ClassName(control).c_str(), L"ComboBox") == 0) {
        const LRESULT count = SendMessageW(control, CB_GETCOUNT, 0, 0);
        const LRESULT selected = SendMessageW(control, CB_GETCURSEL, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            const std::wstring text = ItemText(control, i, CB_GETLBTEXTLEN, CB_GETLBTEXT);
            lines.push_back((i == selected ? L"[x] " : L"[ ] ") + text);
        }
        return lines;
    }
    const std::wstring text = WindowText(control);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + (text.compare(end, 2, L"\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

HWND Topmost(const std::vector<HWND>& siblings) {
    if (siblings.size() < 2)
        return siblings.empty() ? nullptr : siblings.front();
    for (HWND w = GetWindow(siblings.front(), GW_HWNDFIRST); w; w = GetWindow(w, GW_HWNDNEXT))
        if (std::find(siblings.begin(), siblings.end(), w) != siblings.end())
            return w;
    return siblings.front();
}

TMessageBoxInfo ReadMessageBox(HWND box) {
    TMessageBoxInfo info;
    info.Caption = WindowText(box);
    info.Icon = L"none";
    for (HWND child : Descendants(box)) {
        const std::wstring kind = ClassName(child);
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        if (_wcsicmp(kind.c_str(), L"Button") == 0) {
            if (IsWindowVisible(child))
                info.Buttons.push_back(WindowText(child));
        } else if (_wcsicmp(kind.c_str(), L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON) {
            if (IsWindowVisible(child))
                info.Icon = IconKind(child);
        } else if (_wcsicmp(kind.c_str(), L"Static") == 0 && GetDlgCtrlID(child) == 0xFFFF) {
            info.Text = WindowText(child);
        }
    }
    return info;
}

std::vector<uint32_t> ScreenPixels(const RECT& area) {
    const int width = area.right - area.left, height = area.bottom - area.top;
    std::vector<uint32_t> pixels(width > 0 && height > 0 ? size_t(width) * size_t(height) : 0);
    if (pixels.empty())
        return pixels;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    GetDIBits(memory, bitmap, 0, UINT(height), pixels.data(), &format, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

std::wstring IconKind(HWND iconControl) {
    RECT area;
    GetWindowRect(iconControl, &area);
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return L"unknown";
    // Read the pixels from the screen: the icon belongs to another process, so its handle
    // cannot be examined here.
    const std::vector<uint32_t> pixels = ScreenPixels(area);
    int red = 0, yellow = 0, blue = 0;
    for (uint32_t pixel : pixels) {
        const int r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
        // Red for the error icon; the warning icon is yellow or, under Wine, orange.
        if (r > 150 && g < 80 && b < 80)
            ++red;
        else if (r > 180 && g >= 90 && b < 120)
            ++yellow;
        else if (b > 150 && r < 110)
            ++blue;
    }
    const int enough = width * height / 10;
    if (red >= enough && red >= yellow && red >= blue)
        return L"error";
    if (yellow >= enough && yellow >= blue)
        return L"warning";
    if (blue >= enough)
        return L"information";
    return L"unknown";
}

bool SaveScreenArea(const RECT& area, const std::wstring& path) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return false;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = height; // bottom-up, as BMP files store rows
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    const DWORD stride = (DWORD(width) * 3 + 3) & ~3u;
    BITMAPFILEHEADER header = {};
    header.bfType = 0x4D42; // "BM"
    header.bfOffBits = sizeof header + sizeof format.bmiHeader;
    header.bfSize = header.bfOffBits + stride * height;
    format.bmiHeader.biSizeImage = stride * height;
    bool written = false;
    if (FILE* out = _wfopen(path.c_str(), L"wb")) {
        written = fwrite(&header, sizeof header, 1, out) == 1 &&
                  fwrite(&format.bmiHeader, sizeof format.bmiHeader, 1, out) == 1 &&
                  fwrite(bits, stride * height, 1, out) == 1;
        written = fclose(out) == 0 && written;
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return written;
}

} // namespace e2e

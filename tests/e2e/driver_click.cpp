// Clicking what a control draws rather than a window of its own: the welcome text's links are
// drawn by a windowless label, so the driver finds a link by its colour on the screen.
#include "tests/e2e/driver_commands.h"
#include "tests/e2e/ui_probe.h"

#include <cwchar>

namespace e2e {

namespace {

// The client-area pixels of Window as they are on the screen, top-down rows of 0x00RRGGBB.
std::vector<uint32_t> ClientPixels(HWND window, int& width, int& height) {
    RECT client;
    GetClientRect(window, &client);
    width = client.right;
    height = client.bottom;
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    return ScreenPixels({origin.x, origin.y, origin.x + width, origin.y + height});
}

} // namespace

// click-color CONTROL RRGGBB: presses and releases the left button over the first pixel of
// that exact colour in the control's client area (rows from the top, each from the left).
// An underlined link always has such pixels: its underline is a solid line in the link colour.
void TDriver::ClickColor(const TArgs& args) {
    if (args.size() < 3 || args[2].size() != 6)
        throw EFailure(L"usage: click-color CONTROL RRGGBB");
    const uint32_t color = uint32_t(wcstoul(args[2].c_str(), nullptr, 16));
    HWND control = nullptr;
    POINT point = {};
    Poll(Timeout, [&]() -> std::optional<std::wstring> {
        control = Control(args[1]);
        int width = 0, height = 0;
        const std::vector<uint32_t> pixels = ClientPixels(control, width, height);
        for (size_t i = 0; i < pixels.size(); ++i)
            if ((pixels[i] & 0xFFFFFF) == color) {
                point = {LONG(i % size_t(width)), LONG(i / size_t(width))};
                return std::nullopt;
            }
        return args[1] + L": no pixel of colour " + args[2];
    });
    const LPARAM at = MAKELPARAM(point.x, point.y);
    PostMessageW(control, WM_MOUSEMOVE, 0, at);
    PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(control, WM_LBUTTONUP, 0, at);
    Sync();
    Say(L"  clicked " + args[1] + L" at " + std::to_wstring(point.x) + L"," +
        std::to_wstring(point.y));
}

} // namespace e2e

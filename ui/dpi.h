// The display scale. The window's layout is written in pixels of a 96-DPI display; on a display
// of another DPI every position, size and font height is scaled by DPI / 96, so that the wizard
// is as crisp at 150 % as at 100 % instead of being stretched as a bitmap by Windows.
#pragma once

#include <windows.h>

namespace ko::ui {

struct TRect;

inline constexpr int BaseDpi = 96;

// Value, in 96-DPI pixels, in pixels of Dpi; halves round away from zero.
int Scale(int value, int dpi);
// A rectangle scaled by its edges, so that rectangles that meet at 96 DPI still meet.
TRect Scale(const TRect& rect, int dpi);

// The DPI of the monitor Window is on, as Windows tells a per-monitor aware program; where the
// system predates per-monitor DPI, the screen's.
int WindowDpi(HWND window);
// The DPI a new window starts with: the system's.
int SystemDpi();
// AdjustWindowRectEx for the non-client metrics of Dpi where the system has them per DPI.
void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi);

} // namespace ko::ui

// Where everything of the installer window lies, its sizes, fonts and colours: the one table
// the form is built from. Positions are in pixels of the parent's client area on a 96-DPI
// display; the toolkit scales them to the display's DPI.
#pragma once

#include "ui/window.h"

namespace ko::layout {

using ui::TRect;

// The window and its two parts: the page area on top, the button bar below.
inline constexpr int ClientWidth = 513;
inline constexpr int ClientHeight = 368;
inline constexpr TRect PageArea = {0, 0, 513, 320};
inline constexpr TRect BarBevel = {0, 320, 513, 2};
inline constexpr TRect BtnPrev = {255, 333, 75, 25};
inline constexpr TRect BtnNext = {335, 333, 75, 25};
inline constexpr TRect BtnCancel = {423, 333, 75, 25};

// Fonts: face and CreateFont height at 96 DPI; the face for other DPIs when the first is a
// bitmap face without the scaled size (the TrueType font drawn like it).
struct TFontSpec {
    const wchar_t* Face;
    int Height;
    bool Bold;
    const wchar_t* ScaledFace = nullptr;
};
inline constexpr TFontSpec DefaultFont = {L"MS Sans Serif", -11, false, L"Microsoft Sans Serif"};
inline constexpr TFontSpec WelcomeTitleFont = {L"Arial", -21, false};
inline constexpr TFontSpec HeadTitleFont = {L"Arial", -16, true};

inline constexpr COLORREF White = RGB(255, 255, 255);
inline constexpr COLORREF Black = RGB(0, 0, 0);

// Welcome and finish page: black banner strip, two white panels on the right.
inline constexpr TRect ImgBanner = {0, 0, 160, 320};
inline constexpr TRect StartContent = {161, 8, 343, 305};
inline constexpr TRect StartTitle = {16, 16, 321, 73};
inline constexpr TRect LabelStart2 = {16, 104, 313, 169};
inline constexpr TRect LabelFinish2 = {16, 104, 313, 112};
inline constexpr TRect CheckRun = {16, 228, 313, 17};
inline constexpr TRect ComboRun = {16, 252, 313, 160}; // height of the open list

// The head band of every other page.
inline constexpr TRect HeadBand = {0, 0, 513, 68};
inline constexpr TRect HeadBevel = {0, 68, 513, 2};
inline constexpr TRect HeadTitle = {24, 18, 426, 20};
inline constexpr TRect HeadSubtitle = {24, 38, 426, 28};
inline constexpr TRect HeadIcon = {456, 9, 48, 48};
inline constexpr int IconSize = 48;
inline constexpr int GlyphSize = 16;

// Page bodies below the band.
inline constexpr int BodyLeft = 40;
inline constexpr int BodyWidth = 433;
inline constexpr TRect OneLineText = {BodyLeft, 80, BodyWidth, 14};
inline constexpr TRect TwoLineText = {BodyLeft, 80, BodyWidth, 28};
inline constexpr TRect ThreeLineText = {BodyLeft, 80, BodyWidth, 42};

inline constexpr TRect RichLicense = {BodyLeft, 112, BodyWidth, 156};
inline constexpr TRect RadioAccept = {BodyLeft, 274, BodyWidth, 17};
inline constexpr TRect RadioNotAccept = {BodyLeft, 294, BodyWidth, 17};

inline constexpr TRect RichDocument = {BodyLeft, 100, BodyWidth, 208};

inline constexpr TRect ListMetaTrader = {BodyLeft, 126, BodyWidth, 145};
inline constexpr int ListRowHeight = 17;
inline constexpr TRect BtnAddMetaTrader = {BodyLeft, 280, 220, 25};

inline constexpr TRect MemoReady = {BodyLeft, 126, BodyWidth, 182};

inline constexpr TRect LabelProgress3 = {BodyLeft, 84, BodyWidth, 14};
inline constexpr TRect ProgressBar1 = {BodyLeft, 102, BodyWidth, 18};
inline constexpr TRect MemoProgress = {BodyLeft, 128, BodyWidth, 180};
inline constexpr int ProgressMax = 100;
// The log and the bar take the run's progress at most this often (ms): smooth to the eye, and
// the run is not paced by the edit control.
inline constexpr unsigned ProgressInterval = 30;
// Each addition to the log costs the more the longer the log is; the hand-overs are spaced so
// that they take at most about 1 / ProgressShare of the time, leaving the processor to the run.
inline constexpr unsigned ProgressShare = 5;

} // namespace ko::layout

// The wizard moved to a display of another DPI (WM_DPICHANGED): every place, size, font and row
// height follows, and moving back gives the 96-DPI layout exactly, with live fonts.
#include "ui/dpi.h"
#include "wizard/form_installer.h"
#include "wizard/form_layout.h"

#include <gtest/gtest.h>

#include <string>

using namespace ko;

namespace {

// "left top width height" of a control in the form's client area.
std::string Place(const ui::TForm& form, HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, form.Handle(), reinterpret_cast<POINT*>(&r), 2);
    return std::to_string(r.left) + " " + std::to_string(r.top) + " " +
           std::to_string(r.right - r.left) + " " + std::to_string(r.bottom - r.top);
}

std::string ClientSize(const ui::TForm& form) {
    RECT r;
    GetClientRect(form.Handle(), &r);
    return std::to_string(r.right) + "x" + std::to_string(r.bottom);
}

// The height and face of the font a control draws with; fails for a deleted font.
std::string FontOf(HWND control) {
    LOGFONTW font = {};
    const auto handle = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    if (!GetObjectW(handle, sizeof font, &font))
        return "no font";
    const std::wstring face = font.lfFaceName;
    return std::to_string(font.lfHeight) + " " + std::string(face.begin(), face.end());
}

void MoveToDpi(ui::TForm& form, int dpi) {
    RECT suggested = {40, 30, 40 + 800, 30 + 600};
    SendMessageW(form.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                 reinterpret_cast<LPARAM>(&suggested));
}

int RowHeight(const ui::TWindow& list) {
    return int(SendMessageW(list.Handle(), LB_GETITEMHEIGHT, 0, 0));
}

} // namespace

TEST(DisplayScale, WindowFollowsTheDpiAndComesBackExactly) {
    TFormInstaller form;
    auto install = std::make_unique<TKoInstall>();
    install->ProductName = "Alpha";
    form.CreateForInstall(std::move(install));
    ASSERT_EQ(form.Dpi(), ui::BaseDpi) << "the test prefix must run at 96 DPI";
    const std::string defaultFont = FontOf(form.BtnNext.Handle());
    EXPECT_EQ(defaultFont, "-11 MS Sans Serif");

    MoveToDpi(form, 144);
    EXPECT_EQ(ClientSize(form), "770x552");
    RECT window;
    GetWindowRect(form.Handle(), &window);
    EXPECT_EQ(window.left, 40);
    EXPECT_EQ(window.top, 30);
    EXPECT_EQ(Place(form, form.BtnNext.Handle()), "503 500 112 37");
    EXPECT_EQ(Place(form, form.ImgBanner.Handle()), "0 0 240 480");
    EXPECT_EQ(Place(form, form.LabelStart1.Handle()), "266 36 482 110");
    EXPECT_EQ(Place(form, form.RichLicense.Handle()), "60 168 650 234");
    EXPECT_EQ(FontOf(form.LabelStart1.Handle()), "-32 Arial");
    EXPECT_EQ(FontOf(form.HeadLicense.Title.Handle()), "-24 Arial");
    // The bitmap face has no 17-pixel size: its TrueType sibling takes over, unless the
    // system's face is scalable itself.
    const std::string scaled = FontOf(form.BtnNext.Handle());
    EXPECT_EQ(scaled, ui::BitmapFaceHasHeight(L"MS Sans Serif", -11) ? "-17 Microsoft Sans Serif"
                                                                     : "-17 MS Sans Serif");
    EXPECT_EQ(FontOf(form.MemoReady.Handle()), scaled);
    EXPECT_EQ(RowHeight(form.ListMetaTrader), 26);
    // The welcome text lays itself out in the scaled font, within its scaled width.
    EXPECT_EQ(form.LabelStart2->Bounds.Left, 24);
    EXPECT_EQ(form.LabelStart2->Bounds.Width, 470);

    MoveToDpi(form, 96);
    EXPECT_EQ(ClientSize(form), "513x368");
    EXPECT_EQ(Place(form, form.BtnNext.Handle()), "335 333 75 25");
    EXPECT_EQ(Place(form, form.RichLicense.Handle()), "40 112 433 156");
    EXPECT_EQ(FontOf(form.BtnNext.Handle()), defaultFont);
    EXPECT_EQ(FontOf(form.LabelStart1.Handle()), "-21 Arial");
    EXPECT_EQ(RowHeight(form.ListMetaTrader), layout::ListRowHeight);
    EXPECT_EQ(form.LabelStart2->Bounds.Width, 313);
}

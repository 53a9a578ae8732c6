// Every text of the wizard, in English and in every language kosetup carries, fits its control
// at 96 and 144 DPI. A translation is often longer than English; only a measurement in the
// control's own font, at its own size, tells whether a label cuts its last line or a button its
// caption.
#include "base/win32_util.h"
#include "builder/translations.h"
#include "ui/dpi.h"
#include "wizard/form_installer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace ko;

namespace {

// What the control's text lacks to show whole, or "".
std::string Overflow(const ui::TWindow& control, bool wraps, int room) {
    HWND handle = control.Handle();
    RECT client;
    GetClientRect(handle, &client);
    const std::wstring text = control.Caption();
    HDC dc = GetDC(handle);
    const HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(handle, WM_GETFONT, 0, 0)));
    RECT need = {0, 0, wraps ? client.right - room : 0, 0};
    DrawTextW(dc, text.c_str(), -1, &need, DT_CALCRECT | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, old);
    ReleaseDC(handle, dc);
    const bool fits = wraps ? need.bottom <= client.bottom && need.right <= client.right - room
                            : need.right + room <= client.right;
    if (fits)
        return {};
    return Utf8(text) + ": needs " + std::to_string(need.right + (wraps ? 0 : room)) + "x" +
           std::to_string(need.bottom) + ", has " + std::to_string(client.right) + "x" +
           std::to_string(client.bottom);
}

void MoveToDpi(ui::TForm& form, int dpi) {
    RECT suggested = {0, 0, 800, 600};
    SendMessageW(form.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                 reinterpret_cast<LPARAM>(&suggested));
}

// The controls of Form with their texts, after every caption a button takes in turn.
void ExpectFits(TFormInstaller& form, const std::string& what) {
    const int scale = form.Dpi();
    // A box's glyph and its gap, a button's border, the add button's icon.
    const int box = ::MulDiv(20, scale, ui::BaseDpi);
    const int border = ::MulDiv(8, scale, ui::BaseDpi);
    const int glyph = ::MulDiv(28, scale, ui::BaseDpi);
    std::vector<std::string> cut;
    auto check = [&](const ui::TWindow& control, bool wraps, int room) {
        const std::string overflow = Overflow(control, wraps, room);
        if (!overflow.empty())
            cut.push_back(overflow);
    };
    for (const ui::TLabel* label :
         {&form.LabelStart1, &form.LabelFinish1, &form.LabelFinish2, &form.LabelProgress2,
          &form.LabelProgress3, &form.HeadLicense.Subtitle, &form.HeadLicense.Text,
          &form.HeadInfo.Subtitle, &form.HeadInfo.Text, &form.HeadNews.Subtitle,
          &form.HeadNews.Text, &form.HeadFolder.Subtitle, &form.HeadFolder.Text,
          &form.HeadReady.Subtitle, &form.HeadReady.Text})
        check(*label, true, 0);
    for (const ui::TLabel* title :
         {&form.LabelProgress1, &form.HeadLicense.Title, &form.HeadInfo.Title, &form.HeadNews.Title,
          &form.HeadFolder.Title, &form.HeadReady.Title})
        check(*title, false, 0);
    check(form.RadioAccept, false, box);
    check(form.RadioNotAccept, false, box);
    check(form.CheckRun, false, box);
    check(form.BtnAddMetaTrader, false, glyph);
    check(form.BtnPrev, false, border);
    check(form.BtnNext, false, border);
    for (const char* key : {"button.cancel_created", "button.cancel", "button.finish"}) {
        form.BtnCancel.SetCaption(Wide(form.Texts()(key)));
        check(form.BtnCancel, false, border);
    }
    EXPECT_TRUE(cut.empty()) << what << " at " << scale << " DPI:\n"
                             << [&] {
                                    std::string lines;
                                    for (const std::string& line : cut)
                                        lines += "  " + line + "\n";
                                    return lines;
                                }();
}

} // namespace

TEST(TextFit, EveryLanguagesTextsFitTheirControlsAt96And144Dpi) {
    std::vector<TKoLanguage> languages = CarriedTranslations();
    std::vector<std::string> tags = {"en"};
    for (const TKoLanguage& language : languages)
        tags.push_back(language.Tag);
    for (const std::string& tag : tags)
        for (const bool uninstall : {false, true}) {
            TFormInstaller form;
            form.Language = tag;
            // A long name, as vendors give them: the titles that hold it must still wrap well.
            const std::string name = "Ultimate Trend Scalper Pro";
            if (uninstall) {
                auto data = std::make_unique<TKoUninstall>();
                data->ProductName = name;
                data->Languages = languages;
                form.CreateForUninstall(std::move(data));
            } else {
                auto data = std::make_unique<TKoInstall>();
                data->ProductName = name;
                data->Languages = languages;
                form.CreateForInstall(std::move(data));
            }
            ASSERT_EQ(form.Texts().Tag(), tag);
            const std::string what = tag + (uninstall ? " uninstall" : " install");
            ExpectFits(form, what);
            MoveToDpi(form, 144);
            ExpectFits(form, what);
        }
}

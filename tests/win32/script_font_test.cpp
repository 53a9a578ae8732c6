// Chinese, Japanese and Korean show with real glyphs: every character of every text of such a
// wizard, and a vendor's name in such a script in an English wizard, has a glyph in the fonts the
// wizard draws with, at 96 and 144 DPI. A face without them shows empty boxes.
#include "base/ui_texts.h"
#include "base/win32_util.h"
#include "builder/translations.h"
#include "wizard/form_installer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace ko;

namespace {

// The characters of Text that Control's font has no glyph for.
std::wstring Boxes(const ui::TWindow& control, const std::wstring& text) {
    HDC dc = GetDC(control.Handle());
    const HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control.Handle(), WM_GETFONT, 0, 0)));
    std::vector<WORD> glyphs(text.size());
    GetGlyphIndicesW(dc, text.c_str(), int(text.size()), glyphs.data(),
                     GGI_MARK_NONEXISTING_GLYPHS);
    SelectObject(dc, old);
    ReleaseDC(control.Handle(), dc);
    std::wstring boxes;
    for (size_t i = 0; i < text.size(); ++i)
        if (glyphs[i] == 0xFFFF && text[i] >= L' ')
            boxes += text[i];
    return boxes;
}

// "TEXT: BOXES" for each of Texts that shows boxes in a font of the form: the dialog font, the
// welcome title's and a page head's.
std::vector<std::string> TextsWithBoxes(TFormInstaller& form,
                                        const std::vector<std::wstring>& texts) {
    std::vector<std::string> found;
    for (const ui::TWindow* control : {static_cast<const ui::TWindow*>(&form.BtnNext),
                                       static_cast<const ui::TWindow*>(&form.LabelStart1),
                                       static_cast<const ui::TWindow*>(&form.HeadLicense.Title)})
        for (const std::wstring& text : texts)
            if (const std::wstring boxes = Boxes(*control, text); !boxes.empty())
                found.push_back(Utf8(text) + ": " + Utf8(boxes));
    return found;
}

void MoveToDpi(ui::TForm& form, int dpi) {
    RECT suggested = {0, 0, 800, 600};
    SendMessageW(form.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                 reinterpret_cast<LPARAM>(&suggested));
}

} // namespace

TEST(ScriptFont, ChineseJapaneseAndKoreanTextsHaveGlyphsAt96And144Dpi) {
    for (const char* tag : {"ja", "ko", "zh"}) {
        TFormInstaller form;
        form.Language = tag;
        auto data = std::make_unique<TKoInstall>();
        data->ProductName = "Alpha";
        data->Languages = CarriedTranslations();
        form.CreateForInstall(std::move(data));
        ASSERT_EQ(form.Texts().Tag(), tag);
        std::vector<std::wstring> texts;
        for (const std::string_view key : TextKeys())
            texts.push_back(Wide(form.Texts()(key)));
        for (const int dpi : {96, 144}) {
            if (dpi != form.Dpi())
                MoveToDpi(form, dpi);
            const std::vector<std::string> boxes = TextsWithBoxes(form, texts);
            EXPECT_TRUE(boxes.empty()) << tag << " at " << dpi << " DPI, " << boxes.size()
                                       << " texts with boxes, the first: " << boxes.front();
        }
    }
}

TEST(ScriptFont, ProductNameInTheseScriptsHasGlyphsInAnEnglishWizard) {
    struct TCase {
        int CodePage;
        const char* Name;
    };
    // In UTF-8 the name's characters tell its script; a double-byte code page tells it itself.
    for (const TCase& each : {TCase{65001, "\xE6\x97\xA5\xE6\x9C\xAC\xE3\x81\xAE\xE5\xB8\x82"
                                           "\xE5\xA0\xB4 Pro"},
                              TCase{949, "\xEB\xAC\xB4\xEC\x97\xAD \xEB\x8F\x84\xEC\x9A\xB0"
                                         "\xEB\xAF\xB8"},
                              TCase{936, "\xE8\xB6\x8B\xE5\x8A\xBF\xE5\x8A\xA9\xE6\x89\x8B"}}) {
        TFormInstaller form;
        form.Language = "en";
        auto data = std::make_unique<TKoInstall>();
        data->ProductName = each.Name;
        data->CodePage = each.CodePage;
        form.CreateForInstall(std::move(data));
        const std::vector<std::string> boxes =
            TextsWithBoxes(form, {Wide(each.Name), Wide(form.Texts()("button.next"))});
        EXPECT_TRUE(boxes.empty()) << each.CodePage << ": " << boxes.front();
    }
}

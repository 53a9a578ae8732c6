// Building the installer window's controls from the layout table.
#include "base/win32_util.h"
#include "resources/resource_ids.h"
#include "ui/script_font.h"
#include "wizard/control_ids.h"
#include "wizard/form_installer.h"
#include "wizard/form_layout.h"
#include "wizard/language_choice.h"

namespace ko {

namespace L = layout;

TFormInstaller::TFormInstaller()
    : FDefaultFont(L::DefaultFont.Face, L::DefaultFont.Height, L::DefaultFont.Bold,
                   L::DefaultFont.ScaledFace),
      FWelcomeFont(L::WelcomeTitleFont.Face, L::WelcomeTitleFont.Height, L::WelcomeTitleFont.Bold),
      FHeadFont(L::HeadTitleFont.Face, L::HeadTitleFont.Height, L::HeadTitleFont.Bold) {
    AddFont(FDefaultFont);
    AddFont(FWelcomeFont);
    AddFont(FHeadFont);
}

TFormInstaller::~TFormInstaller() = default;

std::wstring TFormInstaller::Text(std::string_view key) const {
    return Wide(FTexts(key));
}

void TFormInstaller::ChooseTexts(TKoData& data) {
    FLanguage = ChooseTranslation(data.Languages, Language);
    FTexts = TextsOf(FLanguage);
    data.Language = FTexts.Tag();
    UseMessageCaptions(FTexts);
}

void TFormInstaller::UseScriptFonts(const TKoData& data) {
    const std::wstring name = Wide(data.ProductName);
    const BYTE charSet = ui::ScriptCharSet(FTexts.Tag(), data.CodePage, name);
    if (charSet == DEFAULT_CHARSET)
        return;
    std::wstring texts = name;
    for (const std::string_view key : TextKeys())
        texts += Text(key);
    const std::wstring face = ui::ScriptFace(charSet, texts);
    if (face.empty())
        return;
    for (ui::TFont* font : {&FDefaultFont, &FWelcomeFont, &FHeadFont})
        font->SetScript(face, charSet);
}

void TFormInstaller::CreateControls(const std::string& caption) {
    Create(Wide(caption), L::ClientWidth, L::ClientHeight, &FDefaultFont);
    DefaultButton = ids::BtnNext;
    CreateStartPage();
    CreateDocumentPages();
    CreateFolderPage();
    CreateReadyPage();
    CreateProgressPage();
    CreateButtonBar();
    for (ui::TPanel* page : {&PanelStart, &PanelLicense, &PanelInfo, &PanelNews, &PanelFolder,
                             &PanelReady, &PanelProgress})
        page->SetVisible(false);
}

void TFormInstaller::CreateButtonBar() {
    Add(std::make_unique<ui::TBevel>(L::BarBevel));
    BtnPrev.Create(*this, ids::BtnPrev, L::BtnPrev, Text("button.prev").c_str());
    BtnNext.Create(*this, ids::BtnNext, L::BtnNext, Text("button.next").c_str(), true);
    BtnCancel.Create(*this, ids::BtnCancel, L::BtnCancel, Text("button.cancel_created").c_str());
    BtnPrev.OnClick = ui::Bind<&TFormInstaller::BtnPrevClick>(this);
    BtnNext.OnClick = ui::Bind<&TFormInstaller::BtnNextClick>(this);
    BtnCancel.OnClick = ui::Bind<&TFormInstaller::BtnCancelClick>(this);
}

void TFormInstaller::CreateStartPage() {
    PanelStart.Create(*this, ids::PanelStart, L::PageArea, L::White);
    ImgBanner.Create(PanelStart, ids::ImgBanner, L::ImgBanner, L::Black);

    PanelInstall.Create(PanelStart, ids::PanelInstall, L::StartContent, L::White);
    LabelStart1.Create(PanelInstall, ids::LabelStart1, L::StartTitle, L"");
    LabelStart1.SetFont(FWelcomeFont.Handle());
    CreateWelcomeText();

    PanelFinish.Create(PanelStart, ids::PanelFinish, L::StartContent, L::White);
    LabelFinish1.Create(PanelFinish, ids::LabelFinish1, L::StartTitle,
                        Text("page.finish.install_title").c_str());
    LabelFinish1.SetFont(FWelcomeFont.Handle());
    LabelFinish2.Create(PanelFinish, ids::LabelFinish2, L::LabelFinish2, L"");
    CheckRun.Create(PanelFinish, ids::CheckRun, L::CheckRun,
                    Text("page.finish.run_terminal").c_str());
    ComboRun.Create(PanelFinish, ids::ComboRun, L::ComboRun, L::ListRowHeight);
    PanelFinish.SetVisible(false);
}

void TFormInstaller::CreateWelcomeText() {
    LabelStart2 = &PanelInstall.Add(std::make_unique<ui::TUniLinkLabel>(L::LabelStart2));
    LabelStart2->SetLinkColor(markup::clBlue);
    LabelStart2->SetLinkColorClicked(markup::clRed);
    LabelStart2->SetLinkColorHot(markup::clPurple);
    LabelStart2->SetLinkStyle({markup::fsUnderline});
    LabelStart2->HotLinks = false;
    LabelStart2->SetAutoHeight(true);
    LabelStart2->SetMarginWidth(0);
    LabelStart2->SetMarginHeight(0);
    LabelStart2->SetTransparent(false);
    LabelStart2->OnLinkClick = [this](markup::TUniCustomLinkLabel& sender, int number,
                                      const std::u16string& text) {
        LabelStart2LinkClick(sender, number, text);
    };
    LabelStart2->CreateTextWindow(ids::LabelStart2);
}

void TFormInstaller::CreateHead(ui::TPanel& page, ui::TLabel& title, int titleId,
                                ui::TLabel& subtitle, int subtitleId, ui::TPicture& icon,
                                const std::string& titleText, const std::string& subtitleText) {
    // The band and its bevel are painted by the page; the texts and the icon are windows.
    page.Add(std::make_unique<ui::TShape>(L::HeadBand, L::White));
    page.Add(std::make_unique<ui::TBevel>(L::HeadBevel));
    title.Create(page, titleId, L::HeadTitle, Wide(titleText).c_str(), false);
    title.SetFont(FHeadFont.Handle());
    title.SetColor(L::White);
    subtitle.Create(page, subtitleId, L::HeadSubtitle, Wide(subtitleText).c_str());
    subtitle.SetColor(L::White);
    icon.Create(page, page.Id() + ids::HeadIcon, L::HeadIcon, L::White);
    icon.SetIcon(KO_IDI_PAGE, L::IconSize);
}

void TFormInstaller::CreateHead(ui::TPanel& page, TPageHead& head, const std::string& keys,
                                const ui::TRect& textBounds) {
    CreateHead(page, head.Title, page.Id() + ids::HeadTitle, head.Subtitle,
               page.Id() + ids::HeadSubtitle, head.Icon, FTexts(keys + "title"),
               FTexts(keys + "subtitle"));
    head.Text.Create(page, page.Id() + ids::HeadText, textBounds, Text(keys + "text").c_str());
}

void TFormInstaller::CreateDocumentPages() {
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    PanelLicense.Create(*this, ids::PanelLicense, L::PageArea, face);
    CreateHead(PanelLicense, HeadLicense, "page.licence.", L::TwoLineText);
    RichLicense.Create(PanelLicense, ids::RichLicense, L::RichLicense);
    RadioAccept.Create(PanelLicense, ids::RadioAccept, L::RadioAccept,
                       Text("page.licence.accept").c_str(), true);
    RadioNotAccept.Create(PanelLicense, ids::RadioNotAccept, L::RadioNotAccept,
                          Text("page.licence.not_accept").c_str(), false);
    RadioNotAccept.SetChecked(true);
    RadioAccept.OnClick = ui::Bind<&TFormInstaller::RadioAcceptClick>(this);
    RadioNotAccept.OnClick = RadioAccept.OnClick;

    PanelInfo.Create(*this, ids::PanelInfo, L::PageArea, face);
    CreateHead(PanelInfo, HeadInfo, "page.info.", L::OneLineText);
    RichInfo.Create(PanelInfo, ids::RichInfo, L::RichDocument);

    PanelNews.Create(*this, ids::PanelNews, L::PageArea, face);
    CreateHead(PanelNews, HeadNews, "page.news.", L::OneLineText);
    RichNews.Create(PanelNews, ids::RichNews, L::RichDocument);
}

void TFormInstaller::CreateFolderPage() {
    PanelFolder.Create(*this, ids::PanelFolder, L::PageArea, GetSysColor(COLOR_BTNFACE));
    CreateHead(PanelFolder, HeadFolder, "page.folder.", L::ThreeLineText);
    ListMetaTrader.Create(PanelFolder, ids::ListMetaTrader, L::ListMetaTrader, L::ListRowHeight);
    BtnAddMetaTrader.Create(PanelFolder, ids::BtnAddMetaTrader, L::BtnAddMetaTrader,
                            Text("page.folder.add_button").c_str());
    BtnAddMetaTrader.SetGlyph(KO_IDI_ADD_FOLDER, L::GlyphSize);
    BtnAddMetaTrader.OnClick = ui::Bind<&TFormInstaller::BtnAddMetaTraderClick>(this);
}

void TFormInstaller::CreateReadyPage() {
    PanelReady.Create(*this, ids::PanelReady, L::PageArea, GetSysColor(COLOR_BTNFACE));
    CreateHead(PanelReady, HeadReady, "page.ready.", L::ThreeLineText);
    MemoReady.Create(PanelReady, ids::MemoReady, L::MemoReady, GetSysColor(COLOR_BTNFACE));
}

void TFormInstaller::CreateProgressPage() {
    PanelProgress.Create(*this, ids::PanelProgress, L::PageArea, GetSysColor(COLOR_BTNFACE));
    CreateHead(PanelProgress, LabelProgress1, ids::LabelProgress1, LabelProgress2,
               ids::LabelProgress2, IconProgress, FTexts("page.progress.install_title"),
               FTexts("page.progress.install_subtitle"));
    LabelProgress3.Create(PanelProgress, ids::LabelProgress3, L::LabelProgress3,
                          Text("page.progress.install_label").c_str());
    ProgressBar1.Create(PanelProgress, ids::ProgressBar1, L::ProgressBar1, L::ProgressMax);
    MemoProgress.Create(PanelProgress, ids::MemoProgress, L::MemoProgress);
}

} // namespace ko

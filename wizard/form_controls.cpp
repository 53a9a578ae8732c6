// Building the installer window's controls from the layout table.
#include "base/win32_util.h"
#include "resources/resource_ids.h"
#include "wizard/control_ids.h"
#include "wizard/form_installer.h"
#include "wizard/form_layout.h"

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
    BtnPrev.Create(*this, ids::BtnPrev, L::BtnPrev, L"<< Prev");
    BtnNext.Create(*this, ids::BtnNext, L::BtnNext, L"Next >>", true);
    BtnCancel.Create(*this, ids::BtnCancel, L::BtnCancel, L"&Cancel");
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
    LabelFinish1.Create(PanelFinish, ids::LabelFinish1, L::StartTitle, L"Installation Complete");
    LabelFinish1.SetFont(FWelcomeFont.Handle());
    LabelFinish2.Create(PanelFinish, ids::LabelFinish2, L::LabelFinish2, L"");
    CheckRun.Create(PanelFinish, ids::CheckRun, L::CheckRun,
                    L"Run this MetaTrader application after install.");
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
                                const wchar_t* titleText, const wchar_t* subtitleText) {
    // The band and its bevel are painted by the page; the texts and the icon are windows.
    page.Add(std::make_unique<ui::TShape>(L::HeadBand, L::White));
    page.Add(std::make_unique<ui::TBevel>(L::HeadBevel));
    title.Create(page, titleId, L::HeadTitle, titleText, false);
    title.SetFont(FHeadFont.Handle());
    title.SetColor(L::White);
    subtitle.Create(page, subtitleId, L::HeadSubtitle, subtitleText);
    subtitle.SetColor(L::White);
    icon.Create(page, page.Id() + ids::HeadIcon, L::HeadIcon, L::White);
    icon.SetIcon(KO_IDI_PAGE, L::IconSize);
}

void TFormInstaller::CreateHead(ui::TPanel& page, TPageHead& head, const wchar_t* titleText,
                                const wchar_t* subtitleText, const wchar_t* text,
                                const ui::TRect& textBounds) {
    CreateHead(page, head.Title, page.Id() + ids::HeadTitle, head.Subtitle,
               page.Id() + ids::HeadSubtitle, head.Icon, titleText, subtitleText);
    head.Text.Create(page, page.Id() + ids::HeadText, textBounds, text);
}

void TFormInstaller::CreateDocumentPages() {
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    PanelLicense.Create(*this, ids::PanelLicense, L::PageArea, face);
    CreateHead(PanelLicense, HeadLicense, L"License Agreement",
               L"Please read this License Agreement before continuing.",
               L"Please read the following License Agreement carefully. You have to agree with "
               L"this agreement if you want to install this program in your computer.",
               L::TwoLineText);
    RichLicense.Create(PanelLicense, ids::RichLicense, L::RichLicense);
    RadioAccept.Create(PanelLicense, ids::RadioAccept, L::RadioAccept, L"I accept the agreement",
                       true);
    RadioNotAccept.Create(PanelLicense, ids::RadioNotAccept, L::RadioNotAccept,
                          L"I do not accept the agreement", false);
    RadioNotAccept.SetChecked(true);
    RadioAccept.OnClick = ui::Bind<&TFormInstaller::RadioAcceptClick>(this);
    RadioNotAccept.OnClick = RadioAccept.OnClick;

    PanelInfo.Create(*this, ids::PanelInfo, L::PageArea, face);
    CreateHead(PanelInfo, HeadInfo, L"Information",
               L"Please read this important information before continuing.",
               L"When you are ready to continue with the installation, click Next.",
               L::OneLineText);
    RichInfo.Create(PanelInfo, ids::RichInfo, L::RichDocument);

    PanelNews.Create(*this, ids::PanelNews, L::PageArea, face);
    CreateHead(PanelNews, HeadNews, L"What's New",
               L"These lines below contain information about changes since the last version.",
               L"When you are ready to continue, click Next.", L::OneLineText);
    RichNews.Create(PanelNews, ids::RichNews, L::RichDocument);
}

void TFormInstaller::CreateFolderPage() {
    PanelFolder.Create(*this, ids::PanelFolder, L::PageArea, GetSysColor(COLOR_BTNFACE));
    CreateHead(PanelFolder, HeadFolder, L"Select Destination Folder",
               L"Please specify where the wizard should put the program files.",
               L"Please put a checkmark before a MetaTrader installation where you want to "
               L"install the expert to. You can also manually add a MetaTrader folder that is "
               L"not listed here by clicking the button below.",
               L::ThreeLineText);
    ListMetaTrader.Create(PanelFolder, ids::ListMetaTrader, L::ListMetaTrader, L::ListRowHeight);
    BtnAddMetaTrader.Create(PanelFolder, ids::BtnAddMetaTrader, L::BtnAddMetaTrader,
                            L" Add a MetaTrader folder");
    BtnAddMetaTrader.SetGlyph(KO_IDI_ADD_FOLDER, L::GlyphSize);
    BtnAddMetaTrader.OnClick = ui::Bind<&TFormInstaller::BtnAddMetaTraderClick>(this);
}

void TFormInstaller::CreateReadyPage() {
    PanelReady.Create(*this, ids::PanelReady, L::PageArea, GetSysColor(COLOR_BTNFACE));
    CreateHead(PanelReady, HeadReady, L"Ready to Install",
               L"We have all the information needed to install the program.",
               L"Please review these information below. Click on Prev button if you want to "
               L"make a correction. When you are ready to continue, click Next button.",
               L::ThreeLineText);
    MemoReady.Create(PanelReady, ids::MemoReady, L::MemoReady, GetSysColor(COLOR_BTNFACE));
}

void TFormInstaller::CreateProgressPage() {
    PanelProgress.Create(*this, ids::PanelProgress, L::PageArea, GetSysColor(COLOR_BTNFACE));
    CreateHead(PanelProgress, LabelProgress1, ids::LabelProgress1, LabelProgress2,
               ids::LabelProgress2, IconProgress, L"Installation in Progress",
               L"Please wait while the wizard is copying the files to your computer.");
    LabelProgress3.Create(PanelProgress, ids::LabelProgress3, L::LabelProgress3,
                          L"Installation progress ....");
    ProgressBar1.Create(PanelProgress, ids::ProgressBar1, L::ProgressBar1, L::ProgressMax);
    MemoProgress.Create(PanelProgress, ids::MemoProgress, L::MemoProgress);
}

} // namespace ko

// The pages of each mode and the moves between them: the page order, the handlers of Next, Prev
// and Cancel, and what a page fills in as it shows.
#include "wizard/form_installer.h"

#include "base/utf16.h"
#include "base/win32_util.h"
#include "engine/running_terminal.h"
#include "engine/sys_folders.h"
#include "engine/system_codec.h"
#include "package/rtf_code_page.h"
#include "package/terminal_platform.h"
#include "package/windows_names.h"
#include "ui/message_box.h"
#include "wizard/mode_texts.h"

namespace ko {

namespace {

const std::wstring Indent = L"        ";

} // namespace

void TFormInstaller::CreateForInstall(std::unique_ptr<TKoInstall> install,
                                      std::unique_ptr<TPrivateFolder> copyFolder) {
    FUninstallMode = false;
    FInstall = std::move(install);
    FPlatforms = PackagePlatforms(*FInstall);
    FCopyFolder = std::move(copyFolder);
    ChooseTexts(*FInstall);
    UseScriptFonts(*FInstall);
    const TModeTexts texts = MakeModeTexts(
        false, FInstall->ProductName,
        VersionedName(FInstall->ProductName, FInstall->VersionMajor, FInstall->VersionMinor),
        FTexts);
    CreateControls(texts.Caption);
    SetTexts(texts);
    ShowBanner(*FInstall);

    FPages.push_back(&PanelStart);
    if (LoadDocument(RichInfo, &TKoLanguage::ReadmeText, FInstall->ReadmeText))
        FPages.push_back(&PanelInfo);
    LoadDocument(RichLicense, &TKoLanguage::LicenseText, FInstall->LicenseText);
    FPages.push_back(&PanelLicense);
    FPages.push_back(&PanelFolder);
    FPages.push_back(&PanelReady);
    FPages.push_back(&PanelProgress);
    if (LoadDocument(RichNews, &TKoLanguage::WhatsNewText, FInstall->WhatsNewText))
        FPages.push_back(&PanelNews);
    FPages.push_back(&PanelStart);
    ShowFirstPage();
}

void TFormInstaller::CreateForUninstall(std::unique_ptr<TKoUninstall> uninstall) {
    FUninstallMode = true;
    FUninstall = std::move(uninstall);
    FPlatforms = LoggedPlatforms(*FUninstall);
    ChooseTexts(*FUninstall);
    UseScriptFonts(*FUninstall);
    const TModeTexts texts = MakeModeTexts(
        true, FUninstall->ProductName,
        VersionedName(FUninstall->ProductName, FUninstall->VersionMajor, FUninstall->VersionMinor),
        FTexts);
    CreateControls(texts.Caption);
    SetTexts(texts);
    ShowBanner(*FUninstall);
    CheckRun.SetVisible(false);
    ComboRun.SetVisible(false);
    FPages = {&PanelStart, &PanelProgress, &PanelStart};
    ShowFirstPage();
}

bool TFormInstaller::LoadDocument(ui::TRichView& viewer, std::string TKoLanguage::*translated,
                                  const std::string& own) {
    // The builder prepares a language's documents as it does the package's own: in its code
    // page.
    const std::string& text =
        FLanguage && !(FLanguage->*translated).empty() ? FLanguage->*translated : own;
    if (text.empty())
        return false;
    LoadDocument(viewer, text, FInstall->CodePage);
    return true;
}

void TFormInstaller::SetTexts(const TModeTexts& texts) {
    LabelStart1.SetCaption(Wide(texts.Start1));
    LabelStart2->SetCaption(Utf8ToUtf16(texts.Start2));
    LabelFinish1.SetCaption(Wide(texts.Finish1));
    LabelFinish2.SetCaption(Wide(texts.Finish2));
    LabelProgress1.SetCaption(Wide(texts.Progress1));
    LabelProgress2.SetCaption(Wide(texts.Progress2));
    LabelProgress3.SetCaption(Wide(texts.Progress3));
}

void TFormInstaller::ShowBanner(const TKoData& data) {
    if (data.Banner.Empty())
        return;
    // The loader has already accepted the picture's header; should its pixels still not
    // decode (damaged, too large, CMYK) or not fit in memory, the banner area stays black.
    // The user could do nothing about it, so the wizard goes on without a word.
    try {
        ImgBanner.SetRgb(data.Banner.Width(), data.Banner.Height(), data.Banner.DecodeRgb());
    } catch (const std::exception&) {
    }
}

void TFormInstaller::ShowFirstPage() {
    FPageIndex = -1;
    BtnNextClick();
}

void TFormInstaller::FormDestroy() {
    FPages.clear();
    FUninstall.reset();
    if (FInstall)
        RunStage(3);
    FInstall.reset();
    FCopyFolder.reset();
}

void TFormInstaller::BtnNextClick() {
    // While the engine waits for a run item the window takes input again; a click queued
    // before the buttons were disabled must not start a page change under the run.
    if (FRunning)
        return;
    // Next is disabled on the last page; the bound also holds for a click already queued.
    if (FPageIndex + 1 >= int(FPages.size()) || !CanLeavePage())
        return;
    ++FPageIndex;
    ShowPage(*FPages[FPageIndex]);
}

void TFormInstaller::BtnPrevClick() {
    if (FRunning || FPageIndex <= 0)
        return;
    --FPageIndex;
    ShowPage(*FPages[FPageIndex]);
}

void TFormInstaller::BtnCancelClick() {
    if (FRunning)
        return;
    if (BtnCancel.Tag == 1)
        FinishAction();
    Close();
}

void TFormInstaller::RadioAcceptClick() {
    BtnNext.SetEnabled(RadioAccept.Checked());
}

bool TFormInstaller::CanLeavePage() {
    if (FPageIndex != 0)
        return true;
    if (NoMetaTraderRunning(FPlatforms))
        return true;
    ui::ShowMessage(Handle(), ui::TMessageKind::Error, Text("message.terminal_running"));
    return false;
}

void TFormInstaller::ShowPage(ui::TPanel& page) {
    const int last = int(FPages.size()) - 1;
    BtnPrev.SetEnabled(FPageIndex > 0);
    BtnNext.SetEnabled(FPageIndex < last);
    if (FPageIndex == 0) {
        PanelFinish.SetVisible(false);
        PanelInstall.BringToFront();
        BtnCancel.SetCaption(Text("button.cancel"));
        BtnCancel.Tag = 0;
    } else if (FPageIndex == last) {
        PanelInstall.SetVisible(false);
        PanelFinish.BringToFront();
        BtnPrev.SetEnabled(true);
        BtnNext.SetEnabled(false);
        BtnCancel.SetCaption(Text("button.finish"));
        BtnCancel.Tag = 1;
        BtnCancel.SetEnabled(true);
    }
    if (&page == &PanelFolder)
        ListMetaTraderFolders();
    if (&page == &PanelReady)
        FillReadyMemo();
    if (&page == &PanelLicense && !RadioAccept.Checked())
        BtnNext.SetEnabled(false);
    for (ui::TPanel* other : FPages)
        if (other != &page)
            other->SetVisible(false);
    page.BringToFront();
    FocusAfterPageChange();
    if (&page == &PanelProgress) {
        Repaint();
        BtnNext.SetEnabled(FRunDone);
        BtnPrev.SetEnabled(false);
        BtnCancel.SetEnabled(false);
        if (!FRunDone)
            StartRun();
    }
}

void TFormInstaller::FocusAfterPageChange() {
    // A hidden or disabled control keeps the focus unless it is moved; Tab would find nothing.
    // Next first; on the finish page Finish, where Enter ends the wizard; elsewhere never
    // Cancel before Prev, so that pressing Enter on and on never cancels the install.
    HWND focus = GetFocus();
    if (focus && IsWindowVisible(focus) && IsWindowEnabled(focus))
        return;
    const bool finish = BtnCancel.Tag == 1;
    for (ui::TButton* button :
         {&BtnNext, finish ? &BtnCancel : &BtnPrev, finish ? &BtnPrev : &BtnCancel})
        if (button->Enabled()) {
            SetFocus(button->Handle());
            return;
        }
}

void TFormInstaller::FillReadyMemo() {
    std::string version =
        VersionedName(FInstall->ProductName, FInstall->VersionMajor, FInstall->VersionMinor);
    if (FInstall->Build > 0)
        version += FTexts("page.ready.review.build", {{"build", std::to_string(FInstall->Build)}});
    if (FInstall->Release > 0)
        version +=
            FTexts("page.ready.review.release", {{"release", std::to_string(FInstall->Release)}});
    // The folder the install run creates: a name with markup shows its plain text there.
    const std::wstring menuFolder = Wide(ProductFolderName(FInstall->ProductName));

    MemoReady.BeginUpdate();
    MemoReady.Clear();
    MemoReady.AddLine(Text("page.ready.review.program_name"));
    MemoReady.AddLine(Indent + Wide(version));
    MemoReady.AddLine(L"");
    MemoReady.AddLine(Text("page.ready.review.target_folders"));
    for (int i = 0; i < ListMetaTrader.Count(); ++i)
        if (ListMetaTrader.Checked(i))
            MemoReady.AddLine(Indent + ListMetaTrader.Text(i));
    MemoReady.AddLine(L"");
    MemoReady.AddLine(Text("page.ready.review.program_folder"));
    MemoReady.AddLine(Indent + Wide(ProgramFolder(*FInstall)));
    MemoReady.AddLine(L"");
    MemoReady.AddLine(Text("page.ready.review.start_menu_folder"));
    MemoReady.AddLine(Indent + menuFolder);
    MemoReady.EndUpdate();
}

bool TFormInstaller::LoadDocument(ui::TRichView& viewer, const std::string& text, int codePage) {
    const std::string plain = SystemCodec().Decode(text, codePage).value_or(text);
    return viewer.LoadFromText(RtfInCodePage(text, SystemCodec(), codePage), Wide(plain));
}

} // namespace ko

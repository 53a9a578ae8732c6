// The installer's window: one fixed-size form whose pages are panels filling the same area,
// with Prev, Next and Cancel below. The same form serves the install and the uninstall mode;
// start-up hands it the loaded data object of its mode, which it owns for the life of the
// window.
#pragma once

#include "base/log_file.h"
#include "base/ui_texts.h"
#include "base/win32_util.h"
#include "engine/private_folder.h"
#include "engine/run_state.h"
#include "engine/terminal_discovery.h"
#include "package/ko_data.h"
#include "ui/check_list.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/link_label.h"
#include "ui/rich_view.h"

#include <memory>
#include <string>
#include <vector>

namespace ko {

struct TModeTexts;

class TFormInstaller : public ui::TForm {
public:
    TFormInstaller();
    ~TFormInstaller() override;

    // Builds the window and the pages of the mode around the loaded data and shows the first
    // page; the window itself stays hidden until Show.
    // CopyFolder, when start-up loaded a copy of the installer, holds that copy: it goes
    // after the install data.
    void CreateForInstall(std::unique_ptr<TKoInstall> install,
                          std::unique_ptr<TPrivateFolder> copyFolder = nullptr);
    void CreateForUninstall(std::unique_ptr<TKoUninstall> uninstall);
    // The run items of Stage outside the install run (install mode only): start-up runs stage
    // 0 before the window shows, FormDestroy stage 3. An error is shown, not passed on.
    void RunStage(int stage);
    // Runs the run items of stage 3 after an install (however the window was closed), then
    // frees the page list and the data object; the window is gone or about to go.
    void FormDestroy();

    void BtnNextClick();
    void BtnPrevClick();
    void BtnCancelClick();
    void RadioAcceptClick();
    void BtnAddMetaTraderClick();
    // Opens the clicked link of the welcome text: an e-mail address (any text with "@") as a
    // "mailto:" address, anything else as it is.
    void LabelStart2LinkClick(markup::TUniCustomLinkLabel& sender, int linkNumber,
                              const std::u16string& linkText);

    // May Next leave the current page: on the welcome page only while no terminal runs.
    bool CanLeavePage();
    // Makes Page current; FPageIndex already holds its index.
    void ShowPage(ui::TPanel& page);
    void FillReadyMemo();
    // Loads a document of the package (8-bit, in CodePage) into a viewer: as RTF, else as plain
    // text. True for RTF.
    static bool LoadDocument(ui::TRichView& viewer, const std::string& text, int codePage);

    // Fills the terminal list with the terminals offered on this computer (OfferTerminals);
    // only the first call does anything.
    void ListMetaTraderFolders();
    // The same for other places to search.
    void ListMetaTraderFolders(const TTerminalPlaces& places);
    // The folder of the terminal list's item Index. An item shows the folder alone, or, when
    // the package has MT5 add-ons, its platform before it ("MT5 - C:\...").
    std::string ListedFolder(int index) const;

    bool UninstallMode() const { return FUninstallMode; }
    int PageIndex() const { return FPageIndex; }
    const std::vector<ui::TPanel*>& Pages() const { return FPages; }
    bool RunDone() const { return FRunDone; }
    // True from the start of the install or uninstall run until it has returned.
    bool Running() const { return FRunning; }

    // The run of each mode, on the first arrival at the progress page: hands the ticked
    // folders to the engine, runs it, then fills the bar, enables Next and, after an install,
    // offers to start a terminal that was there before the run. Engine errors propagate.
    void RunInstall();
    void RunUninstall();
    // The engine's progress handler, called on the run's thread: keeps the line and the
    // percentage. Called on the window's thread, it also hands what has gathered to the log and
    // the bar when the last hand-over is FFlushInterval ago.
    void ReportProgress(TKoRun& sender, const std::string& text, int percent);
    // Appends the gathered lines to the log in one edit, moves the bar and paints at once. The
    // window's thread does it every FFlushInterval while the run works, and when it ends.
    void FlushProgress();
    // True when the last hand-over is FFlushInterval ago. Under FPendingLock off the window's
    // thread.
    bool FlushDue() const;
    // The tag of the language asked for (/LANG, the logged one or the user's); set before
    // CreateFor*. The package's translation that serves it best is spoken, English without one.
    std::string Language;
    // Picks the texts of the language asked for among Data's translations (CreateFor* does it
    // too); Data records the tag spoken, which an install's log keeps for the uninstaller.
    void ChooseTexts(TKoData& data);
    // The texts the wizard shows, in the language it speaks.
    const TUiTexts& Texts() const { return FTexts; }
    // When set (/LOG), also receives every line of the run and the message of an error that
    // ends it. Not owned.
    TLogFile* Log = nullptr;
    // The run ended in an error (and was rolled back): the process says so in its exit code, as
    // the run without windows does, so that whoever started the wizard does not take it for done.
    bool RunHasFailed() const { return FRunFailed; }

    // The head of a page with a band: title, subtitle, page icon and the text below the band.
    struct TPageHead {
        ui::TLabel Title;
        ui::TLabel Subtitle;
        ui::TPicture Icon;
        ui::TLabel Text;
    };

    // Containers come before what they hold, so that controls are destroyed first.
    ui::TPanel PanelStart, PanelInstall, PanelFinish;
    ui::TPanel PanelLicense, PanelInfo, PanelNews, PanelFolder, PanelReady, PanelProgress;

    ui::TButton BtnPrev, BtnNext, BtnCancel;
    ui::TPicture ImgBanner;
    ui::TLabel LabelStart1, LabelFinish1, LabelFinish2;
    // The welcome text in markup: drawn on PanelInstall, which owns it.
    ui::TUniLinkLabel* LabelStart2 = nullptr;
    ui::TCheckBox CheckRun;
    ui::TComboBox ComboRun;
    TPageHead HeadLicense, HeadInfo, HeadNews, HeadFolder, HeadReady;
    ui::TRichView RichLicense, RichInfo, RichNews;
    ui::TRadioButton RadioAccept, RadioNotAccept;
    ui::TCheckListBox ListMetaTrader;
    ui::TButton BtnAddMetaTrader;
    ui::TMemo MemoReady;
    ui::TLabel LabelProgress1, LabelProgress2, LabelProgress3;
    ui::TPicture IconProgress;
    ui::TProgressBar ProgressBar1;
    ui::TMemo MemoProgress;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void CreateControls(const std::string& caption);
    void CreateButtonBar();
    void CreateStartPage();
    void CreateWelcomeText();
    void CreateDocumentPages();
    void CreateFolderPage();
    void CreateReadyPage();
    void CreateProgressPage();
    void CreateHead(ui::TPanel& page, ui::TLabel& title, int titleId, ui::TLabel& subtitle,
                    int subtitleId, ui::TPicture& icon, const std::string& titleText,
                    const std::string& subtitleText);
    // The head's texts are those of Keys: Keys + "title", "subtitle" and "text".
    void CreateHead(ui::TPanel& page, TPageHead& head, const std::string& keys,
                    const ui::TRect& textBounds);
    // The fonts in a face of the script of the wizard's language or of the product's name, when
    // that is Chinese, Japanese or Korean; the layout's own for any other.
    void UseScriptFonts(const TKoData& data);
    // The text of Key in the wizard's language, for a control.
    std::wstring Text(std::string_view key) const;
    // The translation spoken, or null for English; lives in the data object.
    const TKoLanguage* FLanguage = nullptr;
    TUiTexts FTexts;
    // Adds Folder of Platform to the terminal list.
    void AddTerminal(const std::string& folder, TPlatform platform, bool checked);
    // The list shows each terminal's platform: the package has MT5 add-ons.
    bool ShowsPlatforms() const { return FPlatforms & ForMT5; }
    void SetTexts(const TModeTexts& texts);
    // Loads the translation's document (the member Translated of TKoLanguage) when the wizard
    // speaks one that has it, else the package's own; false when there is neither.
    bool LoadDocument(ui::TRichView& viewer, std::string TKoLanguage::*translated,
                      const std::string& own);
    void ShowBanner(const TKoData& data);
    void ShowFirstPage();
    void FocusAfterPageChange();
    // The run of the current mode, on the first arrival at the progress page. An engine error
    // is shown in one message box and leaves the buttons disabled.
    void StartRun();
    // Runs Run with ReportProgress watching it, then shows the run as done.
    // Mt5Options, when given, is the run's Mt5OptionsToTick: the boxes the finish page names.
    void ExecuteRun(TKoRun& run, const unsigned* mt5Options = nullptr);
    // Ends a failed run: Error in the log, Message (in the wizard's language where it has a
    // text for it) in an error box.
    void RunFailed(const std::string& error, const std::string& message);
    // What Finish does before the window closes: start the chosen terminal after an install,
    // remove the uninstaller after an uninstall.
    void FinishAction();

    std::vector<ui::TPanel*> FPages;
    int FPageIndex = -1;
    bool FUninstallMode = false;
    bool FRunFailed = false;
    bool FFoldersListed = false;
    // The platforms whose terminals the package (or the logged install) writes into.
    TPlatforms FPlatforms = ForMT4;
    // The data folders of the terminals listed, for the install run.
    std::vector<TDataFolder> FDataFolders;
    bool FRunDone = false;
    // The run's lines not yet shown, with the last percentage: the run's thread adds to them and
    // the window's thread takes them, under FPendingLock.
    TCriticalSection FPendingLock;
    std::vector<std::wstring> FPendingLines;
    int FPendingPercent = 0;
    DWORD FLastFlush = 0;
    // ProgressInterval, or more when a hand-over takes long: ProgressShare times its cost.
    DWORD FFlushInterval = 0;
    bool FRunning = false;
    std::unique_ptr<TPrivateFolder> FCopyFolder;
    std::unique_ptr<TKoInstall> FInstall;
    std::unique_ptr<TKoUninstall> FUninstall;

    ui::TFont FDefaultFont;
    ui::TFont FWelcomeFont;
    ui::TFont FHeadFont;
};

} // namespace ko

// The installer window driven through its handlers on data made in memory: page order, the
// buttons going forward and back, the running-terminal refusal, the terminal list and the
// review page.
#include "terminal_window.h"

#include "base/win32_util.h"
#include "engine/file_utils.h"
#include "engine/install_run.h"
#include "engine/sys_folders.h"
#include "engine/temp_names.h"
#include "ui/message_box.h"
#include "wizard/control_ids.h"
#include "wizard/form_installer.h"
#include "wizard/mode_texts.h"
#include "wizard/user_launch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

using namespace ko;

namespace {

const std::wstring TerminalRunning = L"The wizard detect a MetaTrader program currently "
                                     L"running.\rPlease close the program and then click OK "
                                     L"to continue.";

std::unique_ptr<TKoInstall> Install(bool documents) {
    auto install = std::make_unique<TKoInstall>();
    install->ProductName = "Alpha";
    install->VersionMajor = 2;
    install->VersionMinor = 5;
    if (documents) {
        install->ReadmeText = "{\\rtf1 Read me}";
        install->WhatsNewText = "What is new, as plain text";
    }
    return install;
}

// A scratch folder under the temporary folder, emptied first.
std::string ScratchFolder(const std::string& name) {
    const std::string folder = TempFolder() + name;
    const std::string command = "cmd /c rmdir /s /q \"" + folder + "\" 2>nul";
    std::system(command.c_str());
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

void WriteFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(file);
}

void MakeTerminal(const std::string& folder) {
    CreateDirectoryA(folder.c_str(), nullptr);
    WriteFile(folder + "\\terminal.exe");
}

class Wizard : public ::testing::Test {
protected:
    void SetUp() override {
        ui::SetMessageHandler([this](ui::TMessageKind kind, const std::wstring& text) {
            Messages.emplace_back(kind, text);
        });
    }
    void TearDown() override { ui::SetMessageHandler({}); }

    // Prev, Next and Cancel: "-" disabled, "+" enabled, then Cancel's caption.
    std::string Buttons() const {
        std::string state;
        for (const ui::TButton* button : {&Form.BtnPrev, &Form.BtnNext, &Form.BtnCancel})
            state += button->Enabled() ? '+' : '-';
        const std::wstring caption = Form.BtnCancel.Caption();
        return state + " " + std::string(caption.begin(), caption.end());
    }
    std::vector<int> PageIds() const {
        std::vector<int> result;
        for (const ui::TPanel* page : Form.Pages())
            result.push_back(page->Id());
        return result;
    }
    int Current() const { return Form.Pages()[Form.PageIndex()]->Id(); }

    TFormInstaller Form;
    std::vector<std::pair<ui::TMessageKind, std::wstring>> Messages;
};

TEST_F(Wizard, PageOrderFollowsModeAndDocuments) {
    Form.CreateForInstall(Install(true));
    EXPECT_EQ(PageIds(), (std::vector<int>{ids::PanelStart, ids::PanelInfo, ids::PanelLicense,
                                           ids::PanelFolder, ids::PanelReady, ids::PanelProgress,
                                           ids::PanelNews, ids::PanelStart}));
    EXPECT_EQ(Form.RichInfo.PlainText(), L"Read me");
    EXPECT_EQ(Form.RichNews.PlainText(), L"What is new, as plain text");
    EXPECT_EQ(Form.Caption(), L"Install - Alpha");

    TFormInstaller bare;
    bare.CreateForInstall(Install(false));
    ASSERT_EQ(bare.Pages().size(), 6u);
    EXPECT_EQ(bare.Pages()[1], &bare.PanelLicense);
    EXPECT_EQ(bare.Pages()[4], &bare.PanelProgress);

    TFormInstaller uninstall;
    auto data = std::make_unique<TKoUninstall>();
    data->ProductName = "Alpha";
    uninstall.CreateForUninstall(std::move(data));
    EXPECT_EQ(uninstall.Pages(),
              (std::vector<ui::TPanel*>{&uninstall.PanelStart, &uninstall.PanelProgress,
                                        &uninstall.PanelStart}));
    EXPECT_EQ(uninstall.Caption(), L"Uninstall - Alpha");
    EXPECT_EQ(uninstall.LabelProgress1.Caption(), L"Uninstallation in Progress");
    EXPECT_FALSE(uninstall.CheckRun.Visible());
}

TEST_F(Wizard, ButtonsGoingForwardAndBack) {
    Form.CreateForInstall(Install(true));
    const std::string folder = ScratchFolder("kosetup-wizard-buttons");
    MakeTerminal(folder + "\\MT4");
    Form.ListMetaTraderFolders({{folder}});

    EXPECT_EQ(Current(), ids::PanelStart);
    EXPECT_TRUE(Form.PanelInstall.Visible());
    EXPECT_EQ(Buttons(), "-++ Cancel");
    Form.BtnNextClick();
    EXPECT_EQ(Current(), ids::PanelInfo);
    EXPECT_EQ(Buttons(), "+++ Cancel");
    Form.BtnNextClick();
    EXPECT_EQ(Current(), ids::PanelLicense);
    EXPECT_EQ(Buttons(), "+-+ Cancel");
    SendMessageW(Form.RadioAccept.Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(Buttons(), "+++ Cancel");
    SendMessageW(Form.RadioNotAccept.Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(Buttons(), "+-+ Cancel");
    SendMessageW(Form.RadioAccept.Handle(), BM_CLICK, 0, 0);

    // Back and forward again: the accepted licence stays accepted.
    Form.BtnPrevClick();
    EXPECT_EQ(Current(), ids::PanelInfo);
    Form.BtnNextClick();
    EXPECT_EQ(Buttons(), "+++ Cancel");
    Form.BtnNextClick();
    EXPECT_EQ(Current(), ids::PanelFolder);
    EXPECT_EQ(Buttons(), "+++ Cancel");
    Form.BtnNextClick();
    EXPECT_EQ(Current(), ids::PanelReady);
    EXPECT_EQ(Buttons(), "+++ Cancel");
    EXPECT_TRUE(Messages.empty());

    // Data made in memory names no package file: the run fails at once. One error box, the
    // buttons stay disabled, no second run, and the window is not kept from closing.
    Form.BtnNextClick();
    EXPECT_EQ(Current(), ids::PanelProgress);
    EXPECT_EQ(Buttons(), "--- Cancel");
    EXPECT_FALSE(Form.RunDone());
    EXPECT_FALSE(Form.Running());
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0].first, ui::TMessageKind::Error);
    Form.BtnNextClick();
    Form.BtnCancelClick();
    EXPECT_EQ(Messages.size(), 1u);
    EXPECT_FALSE(IsWindow(Form.Handle()));
}

TEST_F(Wizard, RunningTerminalKeepsTheWelcomePageInBothModes) {
    HWND terminal = kotest::OpenTerminalWindow("MetaQuotes::MetaTrader::4.00");
    ASSERT_TRUE(terminal);

    Form.CreateForInstall(Install(false));
    TFormInstaller uninstall;
    uninstall.CreateForUninstall(std::make_unique<TKoUninstall>());
    for (TFormInstaller* form : {&Form, &uninstall}) {
        form->BtnNextClick();
        form->BtnNextClick();
        EXPECT_EQ(form->PageIndex(), 0);
    }
    ASSERT_EQ(Messages.size(), 4u);
    for (const auto& [kind, text] : Messages) {
        EXPECT_EQ(kind, ui::TMessageKind::Error);
        EXPECT_EQ(text, TerminalRunning);
    }

    DestroyWindow(terminal);
    Form.BtnNextClick();
    uninstall.BtnNextClick();
    EXPECT_EQ(Current(), ids::PanelLicense);
    EXPECT_EQ(uninstall.Pages()[uninstall.PageIndex()], &uninstall.PanelProgress);
    EXPECT_EQ(Messages.size(), 4u);
}

TEST_F(Wizard, TerminalListTakesVisibleFoldersWithTerminalOnce) {
    Form.CreateForInstall(Install(false));
    const std::string folder = ScratchFolder("kosetup-wizard-terminals");
    MakeTerminal(folder + "\\Broker A");
    MakeTerminal(folder + "\\Broker B");
    CreateDirectoryA((folder + "\\Not a terminal").c_str(), nullptr);
    WriteFile(folder + "\\terminal.exe");
    MakeTerminal(folder + "\\Hidden");
    SetFileAttributesA((folder + "\\Hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);

    Form.ListMetaTraderFolders({{folder}});
    std::vector<std::wstring> items;
    for (int i = 0; i < Form.ListMetaTrader.Count(); ++i) {
        items.push_back(Form.ListMetaTrader.Text(i));
        EXPECT_TRUE(Form.ListMetaTrader.Checked(i));
    }
    const std::wstring base(folder.begin(), folder.end());
    std::sort(items.begin(), items.end());
    EXPECT_EQ(items, (std::vector<std::wstring>{base + L"\\Broker A", base + L"\\Broker B"}));

    // Only the first call fills the list: the user's changes survive leaving the page.
    Form.ListMetaTrader.SetChecked(0, false);
    Form.ListMetaTraderFolders({{ScratchFolder("kosetup-wizard-empty")}});
    EXPECT_EQ(Form.ListMetaTrader.Count(), 2);
    EXPECT_FALSE(Form.ListMetaTrader.Checked(0));
    EXPECT_TRUE(Messages.empty());
}

TEST_F(Wizard, NoTerminalListsTheDefaultFolderAndWarnsOnce) {
    Form.CreateForInstall(Install(false));
    const std::string folder = ScratchFolder("kosetup-wizard-none");
    Form.ListMetaTraderFolders({{folder}});
    Form.ListMetaTraderFolders({{folder}});
    ASSERT_EQ(Form.ListMetaTrader.Count(), 1);
    EXPECT_EQ(Form.ListMetaTrader.Text(0),
              std::wstring(folder.begin(), folder.end()) + L"\\MetaTrader 4");
    EXPECT_TRUE(Form.ListMetaTrader.Checked(0));
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0].first, ui::TMessageKind::Warning);
    EXPECT_EQ(Messages[0].second,
              L"We cannot find any MetaTrader folder in this computer.\rWe add a default folder "
              L"so you can continue with the installation,\rand install MetaTrader later.");
}

TEST_F(Wizard, ReviewMemoLines) {
    auto install = Install(false);
    install->Build = 345;
    install->Release = 2;
    Form.CreateForInstall(std::move(install));
    Form.ListMetaTrader.Add(L"C:\\MT4 one", true);
    Form.ListMetaTrader.Add(L"C:\\MT4 two", false);
    Form.ListMetaTrader.Add(L"C:\\MT4 one", true);
    Form.FillReadyMemo();
    const std::string programFiles = GetSystemFolder(sfProgramFiles, true);
    const std::wstring programFolder =
        L"        " + std::wstring(programFiles.begin(), programFiles.end()) + L"Alpha";
    EXPECT_EQ(Form.MemoReady.Lines(),
              (std::vector<std::wstring>{
                  L"Program Name", L"        Alpha v2.5 Build 345 Release 2", L"",
                  L"Target Folder(s)", L"        C:\\MT4 one", L"        C:\\MT4 one", L"",
                  L"Program Folder", programFolder, L"", L"Start Menu Folder", L"        Alpha"}));

    TFormInstaller plain;
    auto zero = Install(false);
    zero->Release = -1;
    zero->VersionMinor = -3;
    plain.CreateForInstall(std::move(zero));
    plain.ListMetaTrader.Add(L"C:\\MT4", false);
    plain.FillReadyMemo();
    const auto lines = plain.MemoReady.Lines();
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[1], L"        Alpha v2.-3");
    EXPECT_EQ(lines[3], L"Target Folder(s)");
    EXPECT_EQ(lines[4], L"");
}

// A package with a German translation, asked for with a region it does not name: the window,
// its pages, the review and the translated document speak German, a text the translation
// lacks English, a document it lacks the package's own; the data records the tag for the log.
TEST_F(Wizard, TranslationShowsOnThePagesWithEnglishForWhatItLacks) {
    TKoLanguage german;
    german.Tag = "de";
    german.Texts = {
        {"window.install_caption", "Installieren - {name}"},
        {"button.next", "Weiter >>"},
        {"button.cancel", "Abbrechen"},
        {"page.welcome.install_title", "Willkommen bei {version_name}"},
        {"page.licence.accept", "Ich akzeptiere die Vereinbarung"},
        {"page.folder.title", "Zielordner wählen"},
        {"page.ready.review.program_name", "Programmname"},
        {"page.ready.review.build", " Build-Nr. {build}"},
    };
    german.ReadmeText = "{\\rtf1 Lies mich}";
    auto install = Install(true);
    install->Build = 7;
    install->Languages = {TKoLanguage{"fr", "Français", {{"button.next", "Suivant >>"}}}, german};
    Form.Language = "de-AT";
    Form.CreateForInstall(std::move(install));

    EXPECT_EQ(Form.Texts().Tag(), "de");
    EXPECT_EQ(Form.Caption(), L"Installieren - Alpha");
    EXPECT_EQ(Form.LabelStart1.Caption(), L"Willkommen bei Alpha v2.5");
    EXPECT_EQ(Form.BtnNext.Caption(), L"Weiter >>");
    EXPECT_EQ(Form.BtnCancel.Caption(), L"Abbrechen");
    EXPECT_EQ(Form.BtnPrev.Caption(), L"<< Prev");
    EXPECT_EQ(Form.RadioAccept.Caption(), L"Ich akzeptiere die Vereinbarung");
    EXPECT_EQ(Form.HeadFolder.Title.Caption(), L"Zielordner w\u00e4hlen");
    EXPECT_EQ(Form.HeadLicense.Title.Caption(), L"License Agreement");
    EXPECT_EQ(Form.RichInfo.PlainText(), L"Lies mich");
    EXPECT_EQ(Form.RichNews.PlainText(), L"What is new, as plain text");
    Form.FillReadyMemo();
    const auto lines = Form.MemoReady.Lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], L"Programmname");
    EXPECT_EQ(lines[1], L"        Alpha v2.5 Build-Nr. 7");

    // A language the package does not carry: English, and the log will say so.
    TKoInstall russian;
    russian.Languages = {german};
    TFormInstaller other;
    other.Language = "ru-RU";
    other.ChooseTexts(russian);
    EXPECT_EQ(russian.Language, "en");
    EXPECT_EQ(other.Texts()("button.next"), "Next >>");
}

TEST_F(Wizard, ProgressLinesAndBarWhateverThePercentage) {
    Form.CreateForInstall(Install(false));
    const auto data = Install(false);
    TKoInstallRun sender(*data);
    // The first line shows at once; later ones when the run hands them over.
    Form.ReportProgress(sender, "Copying file C:\\MT4\\a.ex4 ...", 40);
    EXPECT_EQ(Form.ProgressBar1.Position(), 40);
    Form.ReportProgress(sender, "WARNING: Unable to overwrite C:\\MT4\\b.ex4 ...", 40);
    // The engine's percentage is not clamped: it may pass 100, or be -1 with nothing to do.
    Form.ReportProgress(sender, "Done.", 130);
    Form.FlushProgress();
    EXPECT_EQ(Form.ProgressBar1.Position(), 100);
    Form.ReportProgress(sender, "", -1);
    Form.FlushProgress();
    EXPECT_EQ(Form.ProgressBar1.Position(), 0);
    EXPECT_EQ(Form.MemoProgress.Lines(),
              (std::vector<std::wstring>{L"Copying file C:\\MT4\\a.ex4 ...",
                                         L"WARNING: Unable to overwrite C:\\MT4\\b.ex4 ...",
                                         L"Done.", L""}));
}

// Lines reported faster than the log takes them are handed over in batches: none lost, none
// out of order, and the bar at the last percentage.
TEST_F(Wizard, ProgressLinesArriveInOrderInBatches) {
    Form.CreateForInstall(Install(false));
    const auto data = Install(false);
    TKoInstallRun sender(*data);
    std::vector<std::wstring> expected;
    for (int i = 0; i < 2000; ++i) {
        const std::string line = "Copying file C:\\MT4\\" + std::to_string(i) + ".ex4 ...";
        Form.ReportProgress(sender, line, i / 20);
        expected.push_back(std::wstring(line.begin(), line.end()));
    }
    Form.FlushProgress();
    EXPECT_EQ(Form.MemoProgress.Lines(), expected);
    EXPECT_EQ(Form.ProgressBar1.Position(), 99);
}

TEST(ModeTexts, WelcomeTextBreaksAndVersionedName) {
    EXPECT_EQ(VersionedName("Beta", 1, 0), "Beta v1.0");
    const TModeTexts texts = MakeModeTexts(false, "Beta", "Beta v1.0");
    EXPECT_EQ(texts.Start2,
              "This will install Beta v1.0 on your computer. Please close all MetaTrader "
              "applications before you continue with the installation.<br><br>Click Next to "
              "continue with the installation, or click Cancel to exit.");
    EXPECT_EQ(MakeModeTexts(true, "Beta", "Beta v1.0").Finish2,
              "The wizard has finished uninstalling Beta from your computer. You can re-install "
              "the program anytime using the installer we provided.\r\n\r\nClick Finish to "
              "continue.");
}

} // namespace

// The installer runs as administrator: only where the desktop has no shell window is the
// terminal started from it, without asking a shell. A shell that is there but does not open it
// leaves a line in the log and nothing started.
TEST(UserLaunch, OnlyAMissingShellWindowStartsItFromTheInstaller) {
    const struct {
        bool ShellWindow;
        bool Opens;
        size_t Asked, Started, Logged;
    } cases[] = {{false, true, 0, 1, 0}, {true, true, 1, 0, 0}, {true, false, 1, 0, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.ShellWindow) + std::to_string(c.Opens));
        std::vector<std::wstring> asked, started;
        std::vector<std::string> log;
        OpenAsUser(
            L"C:\\MT4\\terminal.exe", c.ShellWindow,
            [&](const std::wstring& file) {
                asked.push_back(file);
                return c.Opens;
            },
            [&started](const std::wstring& file) { started.push_back(file); },
            [&log](const std::string& line) { log.push_back(line); });
        EXPECT_EQ(asked.size(), c.Asked);
        EXPECT_EQ(started.size(), c.Started);
        ASSERT_EQ(log.size(), c.Logged);
        if (!log.empty())
            EXPECT_NE(log[0].find("C:\\MT4\\terminal.exe"), std::string::npos) << log[0];
    }
}

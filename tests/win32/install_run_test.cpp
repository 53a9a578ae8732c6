// The install run end to end inside the test process: a package written by the builder, run
// into two terminal folders, and everything it leaves checked.
#include "engine_fixture.h"
#include "terminal_window.h"

#include "base/errors.h"
#include "engine/expert_settings.h"
#include "engine/file_utils.h"
#include "engine/run_items.h"
#include "package/format.h"

using namespace ko;
using namespace kotest;

namespace {

class InstallRun : public TTwoTerminalsTest {};

} // namespace

TEST_F(InstallRun, FilesRunItemsDocumentsShortcutsAndUninstaller) {
    const Bytes expert = Pattern(1000, 1), library = Pattern(16, 2), keep = Pattern(40, 3);
    AddFile("{metatrader}\\experts\\Alpha.ex4", expert);
    AddFile("{MetaTrader}\\libraries\\beta.dll", library);
    AddFile("{app}\\Manual.pdf", {}).ShortcutName = "Manual";
    AddFile("{APP}\\keep.dat", keep).NoUninstall = true;
    AddExec("{app}\\tools\\first.exe", "Recorder One", "one \"two words\"", 1);
    AddExec("C:\\nowhere\\missing.exe", "Missing Tool", "", 1, true);
    AddExec("{metatrader}\\after.exe", "Recorder Two", "wait", 2);
    AddExec("{app}\\tools\\start.exe", "At Start", "", 0);
    AddExec("{app}\\tools\\close.exe", "At Close", "", 3);
    Content.ReadmeText = "line1\rline2\nline3\r\nline4";
    Content.WhatsNewText = "x\r\n";
    Content.Publisher = "Acme";
    Content.Website = " www.example.com ";
    Content.ContactName = "Sales";
    Content.ContactEmail = "sales@example.com";
    Content.ExpertOptions = "1 0";
    // A release without a build still shows both: "4.1" alone would hide the release.
    Content.VersionMajor = 4;
    Content.VersionMinor = 1;
    Content.Release = 7;
    Build();
    Run.TerminalFolders = {TerminalA, TerminalB};
    int pumped = 0;
    SetMessagePump([&] {
        ++pumped;
        EXPECT_TRUE(IsRunItemRunning());
    });
    Run.Execute();
    SetMessagePump(nullptr);

    const std::string app = App(), menu = Menu();
    const std::vector<std::string> expectedLines = {
        "Executing Recorder One ...",
        "WARNING: Unable to execute \"Missing Tool\". File doesn't exist ...",
        "Copying file " + TerminalA + "\\experts\\Alpha.ex4 ...",
        "Copying file " + TerminalA + "\\libraries\\beta.dll ...",
        "Copying file " + app + "\\Manual.pdf ...",
        "Copying file " + app + "\\keep.dat ...",
        "Copying file " + TerminalB + "\\experts\\Alpha.ex4 ...",
        "Copying file " + TerminalB + "\\libraries\\beta.dll ...",
        "Executing Recorder Two ...",
        "Overriding MetaTrader settings in " + TerminalA + " ...",
        "Overriding MetaTrader settings in " + TerminalB + " ...",
        "Copying file " + app + "\\Readme.rtf ...",
        "Creating shortcut " + menu + "\\Readme.lnk ...",
        "Copying file " + app + "\\What's New.rtf ...",
        "Creating shortcut " + menu + "\\What's New.lnk ...",
        "Creating shortcut " + menu + "\\Acme Website.url ...",
        "Creating shortcut " + menu + "\\Contact Email.url ...",
        "Creating unistaller ...",
        "Registering unistaller ...",
        "Done.",
    };
    EXPECT_EQ(Lines, expectedLines);
    // Terminals (settings) 2 + terminals x files 8 + run items 5 + 10.
    EXPECT_EQ(Run.Max, 25);
    EXPECT_EQ(Run.Position, 20);
    EXPECT_EQ(Percents.back(), 80);
    EXPECT_GE(pumped, 2) << "the 700 ms run item is waited for in 200 ms slices";
    EXPECT_FALSE(IsRunItemRunning());

    // Terminal files in both folders, program files once, all with the package's times.
    for (const std::string& terminal : {TerminalA, TerminalB}) {
        EXPECT_EQ(ReadBytes(terminal + "\\experts\\Alpha.ex4"), expert);
        EXPECT_EQ(ReadBytes(terminal + "\\libraries\\beta.dll"), library);
        const TTimes times = FileTimes(terminal + "\\experts\\Alpha.ex4");
        EXPECT_EQ(times.LastWrite, StoredLastWrite);
        // Wine on a Unix file system keeps no creation time and reports the last-write time.
        EXPECT_TRUE(times.Creation == StoredCreation || times.Creation == StoredLastWrite);
    }
    EXPECT_EQ(ReadBytes(app + "\\Manual.pdf"), Bytes{});
    EXPECT_EQ(ReadBytes(app + "\\keep.dat"), keep);
    EXPECT_EQ(FileTimes(app + "\\keep.dat").LastWrite, StoredLastWrite);

    // Run items: parameters behind the placeholder, their own folder as current folder; stage 2
    // sees the last terminal folder; stages 0 and 3 are not part of the run.
    EXPECT_EQ(ReadText(app + "\\tools\\first.exe.txt"),
              "x one \"two words\"\r\n" + app + "\\tools\r\n");
    EXPECT_EQ(ReadText(TerminalB + "\\after.exe.txt"), "x wait\r\n" + TerminalB + "\r\n");
    EXPECT_FALSE(Exists(TerminalA + "\\after.exe"));
    EXPECT_FALSE(Exists(app + "\\tools\\start.exe"));
    EXPECT_FALSE(Exists(app + "\\tools\\close.exe"));
    Lines.clear();
    RunStage(Run, stWizardClose);
    EXPECT_EQ(Lines, std::vector<std::string>{"Executing At Close ..."});
    EXPECT_EQ(ReadText(app + "\\tools\\close.exe.txt"), "x \r\n" + app + "\\tools\r\n");
    EXPECT_FALSE(Exists(app + "\\tools\\start.exe"));

    // Settings: created with 400, option 1 set, option 3 cleared, everything else zero.
    for (const std::string& terminal : {TerminalA, TerminalB}) {
        Bytes expected(ExpertSettingsSize, 0);
        expected[0] = 0x90;
        expected[1] = 0x01;
        expected[4] = 1;
        EXPECT_EQ(ReadBytes(terminal + "\\config\\experts.ini"), expected);
    }

    // Documents as CR LF lines; no licence text, no licence file or shortcut.
    EXPECT_EQ(ReadText(app + "\\Readme.rtf"), "line1\r\nline2\r\nline3\r\nline4\r\n");
    EXPECT_EQ(ReadText(app + "\\What's New.rtf"), "x\r\n");
    EXPECT_FALSE(Exists(app + "\\License.rtf"));
    EXPECT_FALSE(Exists(menu + "\\License.lnk"));
    EXPECT_EQ(ReadText(menu + "\\Acme Website.url"),
              "[InternetShortcut]\r\nURL=http://www.example.com\r\n\r\n");
    EXPECT_EQ(ReadText(menu + "\\Contact Email.url"),
              "[InternetShortcut]\r\nURL=mailto:Sales <sales@example.com>\r\n\r\n");

    // Shell shortcuts point at their files, working in their folders.
    const std::pair<std::string, std::string> links[] = {
        {"Manual.lnk", app + "\\Manual.pdf"},
        {"Readme.lnk", app + "\\Readme.rtf"},
        {"What's New.lnk", app + "\\What's New.rtf"},
        {"Uninstall.lnk", app + "\\Uninstall.exe"},
    };
    for (const auto& [name, target] : links) {
        const TShortcut link = ReadShortcut(menu + "\\" + name);
        EXPECT_TRUE(SameText(link.Target, target)) << name << ": " << link.Target;
        EXPECT_TRUE(SameText(link.WorkingDirectory, app)) << name << ": " << link.WorkingDirectory;
    }

    // The uninstaller: the installer's stub, then a log of everything created, in order.
    const Bytes installer = ReadBytes(Setup), uninstaller = ReadBytes(app + "\\Uninstall.exe");
    ASSERT_GT(uninstaller.size(), Stub.size());
    EXPECT_TRUE(
        std::equal(installer.begin(), installer.begin() + Stub.size(), uninstaller.begin()));
    EXPECT_EQ(GetLE32(uninstaller.data() + format::PackageOffsetPos), Stub.size());
    EXPECT_FALSE(Exists(app + "\\Uninstall.tmp"));
    TKoUninstall log;
    log.LoadFromFile(app + "\\Uninstall.exe");
    EXPECT_EQ(log.ProductName, Content.ProductName);
    EXPECT_EQ(log.FolderList, (std::vector<std::string>{app, menu}));
    const std::vector<std::string> files = {
        TerminalA + "\\experts\\Alpha.ex4",
        TerminalA + "\\libraries\\beta.dll",
        app + "\\Manual.pdf",
        menu + "\\Manual.lnk",
        TerminalB + "\\experts\\Alpha.ex4",
        TerminalB + "\\libraries\\beta.dll",
        app + "\\Readme.rtf",
        menu + "\\Readme.lnk",
        app + "\\What's New.rtf",
        menu + "\\What's New.lnk",
        menu + "\\Acme Website.url",
        menu + "\\Contact Email.url",
        menu + "\\Uninstall.lnk",
    };
    EXPECT_EQ(log.FileList, files);

    const std::string key = UninstallKeyPath(Content.ProductName);
    EXPECT_EQ(RegistryString(key, "DisplayName"), Content.ProductName);
    EXPECT_EQ(RegistryString(key, "UninstallString"), app + "\\Uninstall.exe");
    EXPECT_EQ(RegistryString(key, "DisplayIcon"), app + "\\Uninstall.exe");
    EXPECT_EQ(RegistryString(key, "DisplayVersion"), "4.1.0.7");
}

TEST_F(InstallRun, DataFoldersGetPassesOfTheirOwnAfterTheirTerminal) {
    const Bytes expert = Pattern(300, 4);
    AddFile("{metatrader}\\MQL4\\Alpha.ex4", expert);
    AddFile("{app}\\Manual.pdf", {});
    AddExec("{metatrader}\\after.exe", "Recorder", "", 2);
    Content.ExpertOptions = "1";
    Build();
    const std::string dataA1 = Work + "Data A1", dataA2 = Work + "Data A2", other = Work + "Data C";
    Run.TerminalFolders = {TerminalA, TerminalB};
    Run.DataFolders = {
        {dataA1, TerminalA + "\\"}, {other, Work + "Terminal C"}, {dataA2, TerminalA}};
    Run.Execute();

    const std::vector<std::string> expected = {
        "Copying file " + TerminalA + "\\MQL4\\Alpha.ex4 ...",
        "Copying file " + App() + "\\Manual.pdf ...",
        "Copying file " + dataA1 + "\\MQL4\\Alpha.ex4 ...",
        "Copying file " + dataA2 + "\\MQL4\\Alpha.ex4 ...",
        "Copying file " + TerminalB + "\\MQL4\\Alpha.ex4 ...",
        "Executing Recorder ...",
        "Overriding MetaTrader settings in " + TerminalA + " ...",
        "Overriding MetaTrader settings in " + dataA1 + " ...",
        "Overriding MetaTrader settings in " + dataA2 + " ...",
        "Overriding MetaTrader settings in " + TerminalB + " ...",
    };
    ASSERT_GE(Lines.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(Lines.begin(), Lines.begin() + 10), expected);
    // Passes 4 x (settings 1 + files 2) + run items 1 + 10.
    EXPECT_EQ(Run.Max, 23);
    for (const std::string& folder : {dataA1, dataA2}) {
        EXPECT_EQ(ReadBytes(folder + "\\MQL4\\Alpha.ex4"), expert);
        EXPECT_TRUE(Exists(folder + "\\config\\experts.ini"));
    }
    // Stage 2 sees the last terminal's installation folder, whatever passes came between.
    EXPECT_TRUE(Exists(TerminalB + "\\after.exe.txt"));
    EXPECT_FALSE(Exists(other));
}

TEST_F(InstallRun, NewerCheckOverwriteWarningAndSkippedShortcut) {
    const Bytes fresh = Pattern(100, 9);
    TPackageFile& same = AddFile("{metatrader}\\same.txt", fresh);
    same.CheckNewer = true;
    same.ShortcutName = "Same";
    AddFile("{metatrader}\\older.txt", fresh).CheckNewer = true;
    AddFile("{metatrader}\\newer.txt", fresh);
    AddFile("{metatrader}\\held.txt", fresh);
    Build();
    const Bytes old = Bytes{'o', 'l', 'd'};
    for (const char* name : {"same.txt", "older.txt", "newer.txt", "held.txt"})
        WriteBytes(TerminalA + "\\" + name, old);
    SetLastWriteTime(TerminalA + "\\same.txt", StoredLastWrite);
    SetLastWriteTime(TerminalA + "\\older.txt", StoredLastWrite - 1);
    SetLastWriteTime(TerminalA + "\\newer.txt", StoredLastWrite + 10000000);
    // A running terminal keeps its files open without letting others delete them.
    const HANDLE held =
        CreateFileA((TerminalA + "\\held.txt").c_str(), GENERIC_READ,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Run.TerminalFolders = {TerminalA};
    Run.Execute();
    CloseHandle(held);

    const std::string a = TerminalA + "\\";
    const std::vector<std::string> expected = {
        "Skipping same.txt, found newer version at " + a + "same.txt ...",
        "Copying file " + a + "older.txt ...",
        "Copying file " + a + "newer.txt ...",
        "Copying file " + a + "held.txt ...",
        "WARNING: Unable to overwrite " + a + "held.txt ...",
        "Creating unistaller ...",
    };
    ASSERT_GE(Lines.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(Lines.begin(), Lines.begin() + 6), expected);
    EXPECT_EQ(Percents[4], Percents[3]) << "the warning does not advance";
    EXPECT_EQ(ReadBytes(a + "same.txt"), old);
    EXPECT_EQ(ReadBytes(a + "older.txt"), fresh);
    EXPECT_EQ(ReadBytes(a + "newer.txt"), fresh);
    EXPECT_EQ(ReadBytes(a + "held.txt"), old);
    // The skipped file keeps its shortcut, pointing at the file already there.
    EXPECT_TRUE(SameText(ReadShortcut(Menu() + "\\Same.lnk").Target, a + "same.txt"));
    std::vector<std::string> recorded;
    for (const TUninstallEntry& entry : Run.UninstallList)
        if (!entry.Folder)
            recorded.push_back(entry.Path);
    EXPECT_EQ(recorded, (std::vector<std::string>{Menu() + "\\Same.lnk", a + "older.txt",
                                                  a + "newer.txt", Menu() + "\\Uninstall.lnk"}));
}

// Names as another tool may write them: markup in the product name, a shortcut name that climbs
// out of the menu folder, a publisher with characters Windows forbids. The folders and the
// registry entry take the name's plain text, the shortcuts stay in the menu folder, and the run
// reaches its end with the uninstaller written.
TEST_F(InstallRun, NamesBecomeSafeWindowsNames) {
    const std::string plain = Content.ProductName + " Bold";
    Content.ProductName += " <b>Bold</b>:";
    AddFile("{app}\\a.txt", Pattern(5, 1)).ShortcutName = "..\\..\\Startup\\a:b";
    Content.Publisher = "A/B: C?";
    Content.Website = "example.com";
    Content.Build = 12;
    Build();
    Run.TerminalFolders = {TerminalA};
    Run.Execute();
    const std::string app = GetSystemFolder(sfProgramFiles, false) + "\\" + plain;
    const std::string menu = GetSystemFolder(sfCommonPrograms, false) + "\\" + plain;
    EXPECT_EQ(App(), app);
    EXPECT_EQ(Menu(), menu);
    EXPECT_EQ(Lines.back(), "Done.");
    EXPECT_TRUE(Exists(app + "\\Uninstall.exe"));
    EXPECT_TRUE(SameText(ReadShortcut(menu + "\\Startup\\a_b.lnk").Target, app + "\\a.txt"));
    EXPECT_TRUE(Exists(menu + "\\A_B_ C_ Website.url"));
    EXPECT_EQ(RegistryString(UninstallKeyPath(plain), "DisplayName"), plain);
    EXPECT_EQ(RegistryString(UninstallKeyPath(plain), "DisplayVersion"), "1.0.12.0");
}

// A stored time Windows refuses: the file is still written and the run goes on, with a warning,
// since the next install's newer-version check reads that time.
TEST_F(InstallRun, ATimeThatCannotBeSetIsWarnedAbout) {
    AddFile("{app}\\odd.txt", Pattern(5, 1)).Data.Times = {StoredCreation, 1ULL << 63};
    Build();
    Run.TerminalFolders = {TerminalA};
    Run.Execute();
    const std::string odd = App() + "\\odd.txt";
    EXPECT_EQ(std::vector<std::string>(Lines.begin(), Lines.begin() + 2),
              (std::vector<std::string>{"Copying file " + odd + " ...",
                                        "WARNING: Unable to set the time of " + odd + " ..."}));
    EXPECT_EQ(ReadBytes(odd), Pattern(5, 1));
    EXPECT_EQ(Lines.back(), "Done.");
}

TEST_F(InstallRun, NoTerminalChosenStillWritesTheRest) {
    AddFile("{app}\\program.txt", Pattern(10, 1));
    AddExec("{app}\\run.exe", "Runner", "", 2);
    Content.LicenseText = "licence";
    Build();
    Run.Execute();
    EXPECT_FALSE(Exists(App() + "\\program.txt"));
    EXPECT_TRUE(Exists(App() + "\\run.exe.txt"));
    EXPECT_TRUE(Exists(App() + "\\License.rtf"));
    EXPECT_TRUE(Exists(App() + "\\Uninstall.exe"));
    EXPECT_EQ(Lines.back(), "Done.");
}

TEST_F(InstallRun, UnhandledErrorsEndTheRun) {
    AddFile("{app}\\first.bin", Pattern(64, 1));
    AddFile("{app}\\cut.bin", Pattern(64, 2));
    AddFile("{app}\\third.bin", Pattern(64, 3));
    Build();
    // The loaded package cannot be changed under the run; a copy cut inside the second file's
    // data is loaded instead.
    const Bytes whole = ReadBytes(Setup);
    EXPECT_THROW(WriteBytes(Setup, {}), EFOpenError);
    const std::string cut = Work + "Cut.exe";
    WriteBytes(cut, Bytes(whole.begin(), whole.begin() + Data.Files[1]->Offset + 40));
    Data.LoadFromFile(cut);
    Run.TerminalFolders = {TerminalA};
    try {
        Run.Execute();
        FAIL() << "no error";
    } catch (const EKoError& e) {
        EXPECT_STREQ(e.what(), "Invalid file format");
    }
    EXPECT_FALSE(Exists(App() + "\\first.bin")) << "the failed run removes what it wrote";
    EXPECT_FALSE(Exists(App() + "\\third.bin"));
    EXPECT_FALSE(Exists(App() + "\\Uninstall.exe"));

    // A target that cannot be created: a folder of that name stands in the way.
    TKoInstall again;
    again.LoadFromFile(Setup);
    const std::string in = App() + "\\in the way";
    CreateDirectoryA(App().c_str(), nullptr);
    CreateDirectoryA(in.c_str(), nullptr);
    again.Files[1]->Path = in;
    TKoInstallRun againRun(again);
    againRun.TerminalFolders = {TerminalA};
    std::string message;
    try {
        againRun.Execute();
    } catch (const EKoError& e) {
        message = e.what();
    }
    const std::string prefix = "Cannot create file \"" + in + "\". ";
    EXPECT_EQ(message.substr(0, prefix.size()), prefix);
    EXPECT_GT(message.size(), prefix.size()) << "the system's reason follows";
    EXPECT_FALSE(Exists(App() + "\\third.bin"));

    // The same for a shortcut whose folder cannot be made: a file stands in its place. It is
    // not logged for removal, since it was never written.
    again.Files[1]->Path = "{app}\\second.bin";
    again.Files[1]->ShortcutName = "Docs\\Second";
    CreateDirectoryA(Menu().c_str(), nullptr);
    WriteBytes(Menu() + "\\Docs", Bytes{1});
    TKoInstallRun linkRun(again);
    linkRun.TerminalFolders = {TerminalA};
    message.clear();
    try {
        linkRun.Execute();
    } catch (const EKoError& e) {
        message = e.what();
    }
    const std::string link = Menu() + "\\Docs\\Second.lnk";
    EXPECT_EQ(message.rfind("Cannot create shortcut \"" + link + "\". ", 0), 0u) << message;
    EXPECT_EQ(linkRun.UninstallList.back().Path, App() + "\\second.bin");
}

// A target whose variable stands for no folder (misspelt, or "{metatrader}" for a program that
// runs before the files, when no terminal folder is set yet) would land in whatever folder the
// installer was started from: the run fails before it writes anything.
TEST_F(InstallRun, ATargetThatIsNoFullPathFailsTheRunBeforeAnyWrite) {
    AddFile("{app}\\first.txt", Pattern(10, 1));
    AddFile("{metatrader}\\MQL4\\Experts\\a.ex4", Pattern(10, 2));
    AddFile("{metatradex}\\MQL4\\Experts\\b.ex4", Pattern(10, 3));
    AddExec("{app}\\tool.exe", "Tool", "", 2);
    Build();
    const auto failure = [&] {
        TKoInstallRun run(Data);
        run.TerminalFolders = {TerminalA};
        try {
            run.Execute();
        } catch (const EKoError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(failure(), "The installer cannot write \"{metatradex}\\MQL4\\Experts\\b.ex4\": "
                         "{metatradex} stands for no folder here.");
    Data.Files[2]->Path = "{app}\\b.ex4";
    Data.Execs[0]->Stage = stBeforeFiles;
    Data.Execs[0]->Path = "{metatrader}\\tool.exe";
    EXPECT_EQ(failure(), "The installer cannot write \"{metatrader}\\tool.exe\": {metatrader} "
                         "stands for no folder here.");
    EXPECT_FALSE(Exists(App()));
    EXPECT_FALSE(Exists(Menu()));
    EXPECT_FALSE(Exists(TerminalA + "\\MQL4"));
}

// Damaged data (a byte flipped in transit) still deciphers; its digest stops the run before the
// file it was to replace is touched. The same holds for a stored program, and for a file large
// enough to be streamed to disk rather than deciphered in memory. A package without digests
// installs as before.
TEST_F(InstallRun, DamagedDataStopsTheRunAndLeavesTheTargetAsItWas) {
    AddFile("{metatrader}\\expert.ex4", Pattern(70000, 4));
    AddFile("{app}\\large.bin", Pattern((8 << 20) + 5, 5));
    AddExec("{app}\\setup.exe", "Set up", "", 2);
    Build();
    const Bytes whole = ReadBytes(Setup);
    const std::string target = TerminalA + "\\expert.ex4";
    WriteBytes(target, Bytes{'v', '1'});
    const auto runDamaged = [&](int32_t offset) {
        Bytes damaged = whole;
        damaged.at(size_t(offset) + 100) ^= 0x10;
        // The loaded package cannot be changed: a damaged copy is loaded instead.
        const std::string copy = Work + "Damaged" + std::to_string(offset) + ".exe";
        WriteBytes(copy, damaged);
        Data.LoadFromFile(copy);
        TKoInstallRun run(Data);
        run.TerminalFolders = {TerminalA};
        try {
            run.Execute();
        } catch (const EDamagedInstaller& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(runDamaged(Data.Files[0]->Offset),
              "The installer is damaged: the data of \"" + target +
                  "\" does not match its checksum. Please download the installer again.");
    EXPECT_EQ(ReadBytes(target), (Bytes{'v', '1'}));
    EXPECT_NE(runDamaged(Data.Files[1]->Offset + (4 << 20)).find("large.bin\" does not match"),
              std::string::npos);
    EXPECT_FALSE(Exists(App() + "\\large.bin"));
    const std::string program = App() + "\\setup.exe";
    EXPECT_NE(runDamaged(Data.Execs[0]->Offset).find("\"" + program + "\" does not match"),
              std::string::npos);
    EXPECT_FALSE(Exists(program));
    EXPECT_FALSE(Exists(App() + "\\Uninstall.exe"));
    // Nothing is left under a temporary name.
    for (const std::string& folder : {TerminalA, App()})
        EXPECT_EQ(Leftovers(folder), std::vector<std::string>{}) << folder;

    // Without the records the damaged program goes unnoticed, as with older packages.
    Data.Files[0]->HasDigest = false;
    Data.Execs[0]->HasDigest = false;
    Run.TerminalFolders = {TerminalA};
    Run.Execute();
    EXPECT_EQ(ReadBytes(target), Pattern(70000, 4));
    EXPECT_EQ(Lines.back(), "Done.");
}

TEST_F(InstallRun, ExpertSettingsKeepWhatTheyDoNotSet) {
    Data.ExpertOptions = "1 0";
    const std::string ini = TerminalA + "\\config\\experts.ini";
    CreateDirectoryA((TerminalA + "\\config").c_str(), nullptr);
    Bytes shorter(100, 0xAA);
    WriteBytes(ini, shorter);
    SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_READONLY);
    OverrideExpertSettings(Data, TerminalA + "\\", Run.Transaction);
    EXPECT_EQ(Data.ExpertOptions, "1 0     ");
    Bytes expected(ExpertSettingsSize, 0);
    std::fill(expected.begin(), expected.begin() + 100, 0xAA);
    expected[4] = 1;
    expected[12] = 0;
    EXPECT_EQ(ReadBytes(ini), expected);

    // What follows the record (the terminal's allowed web addresses) stays, and so does the length.
    Bytes longer = Pattern(4388, 7);
    WriteBytes(ini, longer);
    Data.ExpertOptions = "01011010";
    OverrideExpertSettings(Data, TerminalA, Run.Transaction);
    const int offsets[] = {4, 8, 12, 36, 40, 20, 24, 28};
    for (int i = 0; i < 8; ++i)
        longer[offsets[i]] = Data.ExpertOptions[i] == '1' ? 1 : 0;
    EXPECT_EQ(ReadBytes(ini), longer);
}

// MT5's file is written only as a whole, through the transaction, and never while a terminal
// runs that would write its own copy over it on exit: in each refusal it stays as it was and no
// file of the write is left beside it.
TEST_F(InstallRun, Mt5OptionsWaitForNoTerminalAndGoThroughTheTransaction) {
    const std::string config = TerminalA + "\\config";
    const std::string ini = config + "\\common.ini";
    const std::string options = "1    1";
    EXPECT_NE(OverrideCommonIni(options, ini, Run.Transaction), nullptr);
    EXPECT_FALSE(Exists(ini));

    CreateDirectoryA(config.c_str(), nullptr);
    const auto text = [](const char* enabled, const char* dll) {
        const std::string lines = std::string("\r\n[Experts]\r\nEnabled=") + enabled +
                                  "\r\nAllowDllImport=" + dll + "\r\n";
        Bytes bytes = {0xFF, 0xFE};
        for (char c : lines)
            bytes.insert(bytes.end(), {uint8_t(c), 0});
        return bytes;
    };
    WriteBytes(ini, text("0", "0"));
    HWND terminal = OpenTerminalWindow("MetaQuotes::MetaTrader::5.00");
    ASSERT_TRUE(terminal);
    EXPECT_NE(OverrideCommonIni(options, ini, Run.Transaction), nullptr);
    DestroyWindow(terminal);
    EXPECT_EQ(ReadBytes(ini), text("0", "0"));
    SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_NE(OverrideCommonIni(options, ini, Run.Transaction), nullptr);
    EXPECT_EQ(ReadBytes(ini), text("0", "0"));
    SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(Leftovers(config), std::vector<std::string>{});

    EXPECT_EQ(OverrideCommonIni(options, ini, Run.Transaction), nullptr);
    EXPECT_EQ(ReadBytes(ini), text("1", "1"));
    Run.RollBack();
    EXPECT_EQ(ReadBytes(ini), text("0", "0"));
    EXPECT_EQ(Leftovers(config), std::vector<std::string>{});
}

TEST_F(InstallRun, InternetShortcutAddresses) {
    Build();
    CreateUrlShortcut(Run, Work + "none.url", "mailto:");
    CreateUrlShortcut(Run, Work + "none.url", "http://");
    CreateUrlShortcut(Run, Work + "none.url", "");
    EXPECT_FALSE(Exists(Work + "none.url"));
    EXPECT_TRUE(Lines.empty());
    EXPECT_TRUE(Run.UninstallList.empty());

    EXPECT_EQ(WebsiteAddress(" \texample.com\r\n"), "http://example.com");
    EXPECT_EQ(WebsiteAddress("http://example.com"), "http://example.com");
    EXPECT_EQ(WebsiteAddress("https://example.com"), "https://example.com");
    EXPECT_EQ(WebsiteAddress("HTTPS://example.com"), "HTTPS://example.com");
    EXPECT_EQ(WebsiteAddress("example.com/?to=http://other"),
              "http://example.com/?to=http://other");
    EXPECT_EQ(WebsiteAddress("  "), "");
}

// With an MT5 terminal ticked first, an MQL4 add-on's shortcut opens its copy in the first
// terminal that has one, and neither platform gets the other's add-ons or its option record.
TEST_F(InstallRun, ShortcutOfAnAddOnOpensTheFirstCopyOfItsPlatform) {
    AddFile("{metatrader}\\MQL4\\Experts\\Alpha.ex4", Pattern(40, 1)).ShortcutName = "Alpha";
    AddFile("{metatrader}\\MQL5\\Experts\\Alpha.ex5", Pattern(50, 2));
    Content.ExpertOptions = "1";
    Build();
    const std::string five = Work + "Five";
    ForceDirectories(five + "\\MQL5");
    Run.TerminalFolders = {five, TerminalB};
    Run.Execute();

    EXPECT_EQ(ReadShortcut(Menu() + "\\Alpha.lnk").Target,
              TerminalB + "\\MQL4\\Experts\\Alpha.ex4");
    EXPECT_TRUE(Exists(five + "\\MQL5\\Experts\\Alpha.ex5"));
    EXPECT_FALSE(Exists(five + "\\MQL4"));
    EXPECT_FALSE(Exists(five + "\\config"));
    EXPECT_FALSE(Exists(TerminalB + "\\MQL5"));
    EXPECT_TRUE(Exists(TerminalB + "\\config\\experts.ini"));
    EXPECT_EQ(Run.Warnings, 0);
}

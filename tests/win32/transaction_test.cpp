// Re-installs and failed installs of one product: the uninstall log keeps everything the
// installs left, and a run that fails leaves the machine as it found it.
#include "engine_fixture.h"

#include "base/errors.h"
#include "engine/killed_run.h"
#include "engine/transaction.h"
#include "engine/uninstall_run.h"

#include <sddl.h>

#include <algorithm>

using namespace ko;
using namespace kotest;

namespace {

class Reinstall : public TTwoTerminalsTest {
protected:
    // One more install run of the loaded package into Terminals, its lines in Lines.
    void InstallInto(const std::vector<std::string>& terminals) {
        TKoInstallRun run(Data);
        run.OnProgress = Run.OnProgress;
        run.TerminalFolders = terminals;
        run.Execute();
    }

    void LoadLog(TKoUninstall& log) { log.LoadFromFile(App() + "\\Uninstall.exe"); }
};

} // namespace

// A trader adds a second terminal, then repairs the first while the terminal holds one of its
// files: every file of every run stays in the log once, and the uninstall removes them all.
TEST_F(Reinstall, TheUninstallLogKeepsWhatEarlierInstallsLeft) {
    AddFile("{metatrader}\\MQL4\\Experts\\Expert.ex4", Pattern(50, 1)).CheckNewer = true;
    AddFile("{metatrader}\\MQL4\\Libraries\\Held.dll", Pattern(50, 2));
    AddFile("{app}\\Manual.txt", Pattern(50, 3)).ShortcutName = "Manual";
    Build();
    InstallInto({TerminalA});
    InstallInto({TerminalB});
    const std::string heldPath = TerminalA + "\\MQL4\\Libraries\\Held.dll";
    const HANDLE held =
        CreateFileA(heldPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Lines.clear();
    InstallInto({TerminalA});
    CloseHandle(held);
    const std::string expertA = TerminalA + "\\MQL4\\Experts\\Expert.ex4";
    EXPECT_NE(std::find(Lines.begin(), Lines.end(),
                        "Skipping Expert.ex4, found newer version at " + expertA + " ..."),
              Lines.end());
    EXPECT_NE(
        std::find(Lines.begin(), Lines.end(), "WARNING: Unable to overwrite " + heldPath + " ..."),
        Lines.end());
    EXPECT_EQ(Lines.back(), "Done.");

    TKoUninstall log;
    LoadLog(log);
    std::vector<std::string> files = log.FileList;
    std::sort(files.begin(), files.end());
    std::vector<std::string> expected = {
        expertA,
        heldPath,
        TerminalB + "\\MQL4\\Experts\\Expert.ex4",
        TerminalB + "\\MQL4\\Libraries\\Held.dll",
        App() + "\\Manual.txt",
        Menu() + "\\Manual.lnk",
        Menu() + "\\Uninstall.lnk",
    };
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(files, expected) << "each once, whatever the run that wrote it";
    EXPECT_EQ(log.FolderList, (std::vector<std::string>{App(), Menu()}));

    TKoUninstallRun uninstall(log);
    uninstall.Execute();
    for (const std::string& file : expected)
        EXPECT_FALSE(Exists(file)) << file;
}

// Version 2 over version 1 stops at a damaged stored file after its run item ran: the files it
// replaced are back, those and the folders it created are gone, the uninstaller and the entry
// still describe version 1, and the log says what was restored and what cannot be undone. What
// a killed run left beside the files is cleared by the next run.
TEST_F(Reinstall, AFailedRunPutsBackWhatWasThere) {
    const std::string expert = TerminalA + "\\MQL4\\Experts\\Expert.ex4";
    CreateDirectoryA((TerminalA + "\\MQL4").c_str(), nullptr);
    CreateDirectoryA((TerminalA + "\\MQL4\\Experts").c_str(), nullptr);
    WriteBytes(expert + ".~ko-new", Bytes{1, 2});
    WriteBytes(TerminalA + "\\MQL4\\Experts\\Lost.ex4.~ko-old", Bytes{3, 4});
    AddFile("{metatrader}\\MQL4\\Experts\\Expert.ex4", Pattern(300, 1));
    AddFile("{app}\\Manual.txt", Pattern(30, 2));
    Content.ReadmeText = "version one";
    Build();
    InstallInto({TerminalA});
    EXPECT_EQ(Leftovers(TerminalA + "\\MQL4\\Experts"), std::vector<std::string>{});
    EXPECT_EQ(ReadBytes(TerminalA + "\\MQL4\\Experts\\Lost.ex4"), (Bytes{3, 4}))
        << "a backup whose file is gone is the only copy left";
    const std::string exe = App() + "\\Uninstall.exe";
    const Bytes firstUninstaller = ReadBytes(exe);
    const std::string key = UninstallKeyPath(ProductFolderName(Content.ProductName));
    ASSERT_EQ(RegistryString(key, "DisplayVersion"), "1.0");

    Content.VersionMajor = 2;
    Content.ReadmeText = "version two";
    Content.Files.clear();
    AddFile("{metatrader}\\MQL4\\Experts\\Expert.ex4", Pattern(900, 5));
    AddFile("{metatrader}\\MQL4\\Indicators\\New\\Signal.ex4", Pattern(40, 6));
    AddFile("{app}\\Manual.txt", Pattern(40, 7));
    AddFile("{app}\\Cut.bin", Pattern(4000, 8));
    // Stored programs lie after the files in the package: this one runs from where it is.
    AddExec(Backslashes(KOSETUP_RECORD_RUN), "Recorder", "", 1, true);
    Setup = Work + "Setup2.exe";
    Build();
    const Bytes whole = ReadBytes(Setup);
    const std::string cut = Work + "Cut.exe";
    WriteBytes(cut, Bytes(whole.begin(), whole.begin() + Data.Files[3]->Offset + 100));
    Data.LoadFromFile(cut);
    Lines.clear();
    std::string message;
    try {
        InstallInto({TerminalA});
    } catch (const EKoError& e) {
        message = e.what();
    }
    EXPECT_EQ(message, "Invalid file format");

    EXPECT_EQ(ReadBytes(expert), Pattern(300, 1));
    EXPECT_EQ(FileTimes(expert).LastWrite, StoredLastWrite);
    EXPECT_EQ(ReadBytes(App() + "\\Manual.txt"), Pattern(30, 2));
    EXPECT_FALSE(Exists(TerminalA + "\\MQL4\\Indicators")) << "created by the failed run";
    EXPECT_FALSE(Exists(App() + "\\Cut.bin"));
    EXPECT_EQ(ReadBytes(exe), firstUninstaller);
    EXPECT_EQ(RegistryString(key, "DisplayVersion"), "1.0");
    for (const std::string& folder : {TerminalA + "\\MQL4\\Experts", App()})
        EXPECT_EQ(Leftovers(folder), std::vector<std::string>{}) << folder;

    const auto has = [this](const std::string& line) {
        return std::find(Lines.begin(), Lines.end(), line) != Lines.end();
    };
    EXPECT_TRUE(has("Rolling back the changes of this run ..."));
    EXPECT_TRUE(has("Restoring " + expert + " ..."));
    EXPECT_TRUE(has("Restoring " + App() + "\\Manual.txt ..."));
    EXPECT_TRUE(has("Removing file " + TerminalA + "\\MQL4\\Indicators\\New\\Signal.ex4 ..."));
    ASSERT_FALSE(Lines.empty());
    EXPECT_EQ(Lines.back(),
              "WARNING: \"Recorder\" has already run; what it did cannot be undone ...");
}

// An uninstaller held open (a window of it still running) cannot be replaced: after a few tries
// the run fails and rolls back, and the old one stays in place with nothing beside it.
TEST_F(Reinstall, AnUninstallerThatCannotBeReplacedFailsTheRun) {
    AddFile("{app}\\Manual.txt", Pattern(30, 2));
    Build();
    InstallInto({TerminalA});
    const std::string exe = App() + "\\Uninstall.exe";
    const Bytes first = ReadBytes(exe);
    const HANDLE held =
        CreateFileA(exe.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::string message;
    try {
        InstallInto({TerminalA});
    } catch (const EKoError& e) {
        message = e.what();
    }
    CloseHandle(held);
    EXPECT_EQ(message.rfind("Cannot create file \"" + exe + "\". ", 0), 0u) << message;
    EXPECT_EQ(ReadBytes(exe), first);
    EXPECT_EQ(Leftovers(App()), std::vector<std::string>{});
    EXPECT_FALSE(Exists(App() + "\\Uninstall.tmp"));
    EXPECT_TRUE(Exists(App() + "\\Manual.txt")) << "restored, not removed: it was there before";
}

// Runs killed on their way: what they created is in the journal before it appears, so the next
// install undoes it first and the uninstaller removes it. A failed run keeps what the journal
// listed; a line a kill cut short names nothing.
TEST_F(Reinstall, WhatAKilledRunCreatedIsRemovedWithTheRest) {
    AddFile("{metatrader}\\MQL4\\Experts\\Expert.ex4", Pattern(50, 1));
    AddFile("{app}\\Manual.txt", Pattern(50, 2));
    Build();
    InstallInto({TerminalA});
    const std::string journal = App() + "\\" + JournalName;
    const std::string indicators = TerminalA + "\\MQL4\\Indicators";
    const auto killedRun = [&](const std::vector<std::string>& files) {
        TFileTransaction killed;
        killed.KeepJournal(journal);
        for (const std::string& file : files)
            killed.WriteStream(file, [](TFileStream& out) { out.WriteBuffer("v2", 2); });
        // Gone without a commit or a rollback, as a killed process goes.
    };
    killedRun({indicators + "\\Killed.ex4", App() + "\\Extra\\Killed.txt"});
    EXPECT_TRUE(Exists(indicators + "\\Killed.ex4"));
    const std::vector<TJournalEntry> listed = ReadJournal(journal);
    ASSERT_EQ(listed.size(), 4u);
    EXPECT_EQ(listed[0].Kind, TJournalEntry::CreatedFolder);
    EXPECT_EQ(listed[0].Path, indicators);
    EXPECT_EQ(listed[1].Path, indicators + "\\Killed.ex4");

    {
        // A run that fails puts the journal back as it found it.
        TFileTransaction failed;
        failed.KeepJournal(journal);
        EXPECT_EQ(failed.InheritedEntries().size(), 4u);
        failed.WriteStream(App() + "\\Failed.txt",
                           [](TFileStream& out) { out.WriteBuffer("x", 1); });
        failed.Rollback([](const std::string&) {});
        EXPECT_EQ(ReadJournal(journal).size(), 4u);
        EXPECT_FALSE(Exists(App() + "\\Failed.txt"));
    }

    // The repair that follows first undoes the killed run: what it created is gone.
    InstallInto({TerminalA});
    EXPECT_FALSE(Exists(journal));
    for (const std::string& gone :
         {indicators + "\\Killed.ex4", App() + "\\Extra\\Killed.txt", App() + "\\Extra"})
        EXPECT_FALSE(Exists(gone)) << gone;
    TKoUninstall log;
    LoadLog(log);

    // Killed again, its journal's last line cut short: the uninstall removes what the log and
    // the journal list, and nothing the cut line might seem to name.
    killedRun({App() + "\\Extra2\\Second.txt"});
    const std::string keep = Work + "keep";
    WriteBytes(keep, Bytes{1});
    {
        TFileStream torn(journal, TFileMode::Append);
        torn.WriteBuffer(keep.data(), int64_t(keep.size()));
    }
    TKoUninstallRun uninstall(log);
    uninstall.Execute();
    // The uninstaller itself goes when it has ended, and its folder with it.
    for (const std::string& gone : {indicators, App() + "\\Extra", App() + "\\Extra2", journal})
        EXPECT_FALSE(Exists(gone)) << gone;
    EXPECT_TRUE(Exists(keep));
}

// A killed run is undone as far as it got, and undone again should the undo be killed too: a
// backup goes back over its file, a file it created goes, a step it had not taken (its backup
// not made yet) is passed over, and a file that cannot be deleted stays on record, with a
// warning. An older reader takes a replaced file's line for its backup, a leftover.
TEST_F(Reinstall, AKilledRunIsUndoneAsFarAsItGot) {
    AddFile("{metatrader}\\MQL4\\Experts\\Expert.ex4", Pattern(50, 1));
    AddFile("{app}\\Manual.txt", Pattern(50, 2));
    Build();
    InstallInto({TerminalA});
    const std::string journal = App() + "\\" + JournalName;
    const std::string expert = TerminalA + "\\MQL4\\Experts\\Expert.ex4";
    const std::string manual = App() + "\\Manual.txt";
    const std::string added = TerminalA + "\\MQL4\\Added\\Added.ex4";
    const Bytes expertBytes = ReadBytes(expert), manualBytes = ReadBytes(manual);
    {
        TFileTransaction killed;
        killed.KeepJournal(journal);
        for (const std::string& file : {expert, added})
            killed.WriteStream(file, [](TFileStream& out) { out.WriteBuffer("v2", 2); });
    }
    // Killed just before it backed up the manual: on record, not done.
    const std::string line = manual + BackupSuffix + "\r\n";
    TFileStream(journal, TFileMode::Append).WriteBuffer(line.data(), int64_t(line.size()));
    const std::vector<TJournalEntry> listed = ReadJournal(journal);
    ASSERT_EQ(listed.size(), 4u);
    EXPECT_EQ(listed[0].Kind, TJournalEntry::ReplacedFile);
    EXPECT_EQ(listed[0].Path, expert);
    EXPECT_EQ(CreatedEntries(listed).back().Path, added);

    const HANDLE held = CreateFileA(added.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::vector<std::string> lines;
    const auto report = [&](const std::string& line) { lines.push_back(line); };
    TProfileGuard guard;
    UndoKilledRun(journal, "", report, guard);
    CloseHandle(held);
    EXPECT_EQ(ReadBytes(expert), expertBytes);
    EXPECT_EQ(ReadBytes(manual), manualBytes);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "Undoing the changes of an earlier run that did not end ...",
                         "Removing file " + added + " ...",
                         "WARNING: Unable to delete file " + added + " ...",
                         "Restoring " + expert + " ...",
                     }));
    // The held file and its folder stay on record; the next undo removes them.
    EXPECT_EQ(CreatedEntries(ReadJournal(journal)).size(), 2u);
    lines.clear();
    UndoKilledRun(journal, "", report, guard);
    EXPECT_FALSE(Exists(added));
    EXPECT_FALSE(Exists(TerminalA + "\\MQL4\\Added"));
    EXPECT_FALSE(Exists(journal));
    EXPECT_EQ(lines.size(), 3u);
    EXPECT_EQ(ReadBytes(expert), expertBytes);
    EXPECT_EQ(Leftovers(TerminalA + "\\MQL4\\Experts"), std::vector<std::string>{});
}

// A shortcut written in every pass of a run is one target written twice: the backup keeps what
// was there before the run, so that a run failing after the second write still puts it back.
TEST_F(Reinstall, ATargetWrittenTwiceKeepsItsFirstBackup) {
    const std::string target = Work + "Twice.lnk";
    WriteBytes(target, Bytes{1});
    TFileTransaction transaction;
    const auto write = [&](char data) {
        transaction.WriteStream(target, [data](TFileStream& out) { out.WriteBuffer(&data, 1); });
    };
    write(2);
    write(3);
    EXPECT_EQ(ReadBytes(target + BackupSuffix), Bytes{1});
    transaction.Rollback([](const std::string&) {});
    EXPECT_EQ(ReadBytes(target), Bytes{1});
    EXPECT_FALSE(Exists(target + BackupSuffix));
}

// A leftover of a killed run that another program holds is the file in the way: the error names
// it, not the target beside it.
TEST_F(Reinstall, AHeldLeftoverIsNamedAsItself) {
    const std::string target = Work + "Target.txt";
    WriteBytes(target, Bytes{1});
    for (const char* suffix : {TempSuffix, BackupSuffix}) {
        const std::string leftover = target + suffix;
        WriteBytes(leftover, Bytes{2});
        const HANDLE held = CreateFileA(leftover.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        std::string message;
        try {
            TFileTransaction transaction;
            transaction.WriteStream(target, [](TFileStream& out) { out.WriteBuffer("x", 1); });
        } catch (const EKoError& e) {
            message = e.what();
        }
        CloseHandle(held);
        DeleteFileA(leftover.c_str());
        EXPECT_NE(message.find("\"" + leftover + "\""), std::string::npos) << message;
        EXPECT_EQ(ReadBytes(target), Bytes{1});
    }
}

// The journal decides what the elevated runs delete: only the owners that stand for an
// administrator are followed, never another user or a group every user is in.
TEST(JournalOwner, OnlyAdministratorsAreTrusted) {
    const auto trusted = [](const char* text) {
        PSID sid = nullptr;
        EXPECT_TRUE(ConvertStringSidToSidA(text, &sid)) << text;
        const bool result = TrustedOwner(sid);
        LocalFree(sid);
        return result;
    };
    EXPECT_TRUE(trusted("S-1-5-32-544"));
    EXPECT_TRUE(trusted("S-1-5-18"));
    EXPECT_FALSE(trusted("S-1-5-32-545"));
    EXPECT_FALSE(trusted("S-1-1-0"));
    EXPECT_FALSE(trusted("S-1-5-11"));
    EXPECT_FALSE(trusted("S-1-5-21-0-0-0-1990"));
    EXPECT_FALSE(TrustedOwner(nullptr));
}

// A journal its administrator owner lets others write is theirs to steer all the same: it is
// followed only while no one but Administrators, SYSTEM and the administrator running this may
// write its data, its permissions or its owner. What this run writes itself is followed, or no
// killed run could be cleaned up.
TEST(JournalOwner, OnlyAdministratorsMayWriteAJournalThatIsFollowed) {
    const struct {
        const char* Dacl; // SDDL; empty for what the file gets where it is made
        bool Followed;
    } cases[] = {
        {"", true},
        {"D:(A;;FA;;;BA)(A;;FA;;;SY)(A;;FR;;;WD)", true},
        {"D:(A;;FA;;;BA)(A;;FW;;;WD)", false},
        {"D:(A;;FA;;;BA)(A;;0x4;;;BU)", false},     // appending
        {"D:(A;;FA;;;BA)(A;;WD;;;AU)", false},      // changing the permissions
        {"D:(A;;FA;;;BA)(A;;WO;;;AU)", false},      // taking it over
        {"D:(A;;FA;;;BA)(A;OICIIO;FA;;;WD)", true}, // for what a folder would hold, not this
        {"D:(D;;0x6;;;WD)(A;;FA;;;BA)", true},      // writing refused to everyone
        {"D:NO_ACCESS_CONTROL", false},
    };
    const std::string journal = ko::TempFolder() + "journal-dacl.txt";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Dacl);
        DeleteFileA(journal.c_str());
        WriteBytes(journal, Bytes{'C', ':', '\\', 'x', '\n'});
        if (*c.Dacl) {
            PSECURITY_DESCRIPTOR descriptor = nullptr;
            ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(
                c.Dacl, SDDL_REVISION_1, &descriptor, nullptr));
            ASSERT_TRUE(SetFileSecurityA(journal.c_str(), DACL_SECURITY_INFORMATION, descriptor));
            LocalFree(descriptor);
        }
        std::string warning;
        EXPECT_EQ(ReadJournal(journal, &warning).size(), c.Followed ? 1u : 0u);
        EXPECT_EQ(warning.find(journal), c.Followed ? std::string::npos : 18u) << warning;
    }
    DeleteFileA(journal.c_str());
}

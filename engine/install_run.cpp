#include "engine/install_run.h"

#include "base/ascii_text.h"
#include "base/file_stream.h"
#include "base/win32_util.h"
#include "engine/common_ini.h"
#include "engine/expert_settings.h"
#include "engine/file_utils.h"
#include "engine/killed_run.h"
#include "engine/link_guard.h"
#include "engine/run_items.h"
#include "engine/shell_link.h"
#include "engine/sys_folders.h"
#include "engine/system_codec.h"
#include "engine/terminal_discovery.h"
#include "package/rtf_code_page.h"
#include "package/terminal_platform.h"
#include "package/windows_names.h"

#include <windows.h>

#include <algorithm>
#include <cctype>

namespace ko {

namespace {

// Every line of Text, the last one included, followed by CR LF; a line break at the very end
// starts no further line.
std::string CrLfLines(const std::string& text) {
    std::string result;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            result.append(text, start, std::string::npos).append("\r\n");
            break;
        }
        result.append(text, start, end - start).append("\r\n");
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n')
            ++start;
    }
    return result;
}

// A file that CheckNewer guards is copied only over an existing one with an earlier last-write
// time; equal times count as the same version.
bool ShouldCopy(const TKoInstallFile& file, const std::string& target) {
    if (!file.CheckNewer || !FileExists(target))
        return true;
    const std::optional<uint64_t> existing = LastWriteTime(target);
    return !existing || *existing < file.LastWriteTime;
}

// The file's shortcut is made when WithShortcut is set, once per run.
void InstallFile(TKoInstallRun& run, TStream& package, const TVariables& variables,
                 const TKoInstallFile& file, const std::string& menuFolder, bool withShortcut) {
    const std::string target = ExpandTarget(file.Path, variables);
    // Before the decision, so that the folder is there even when the copy is skipped.
    run.Transaction.EnsureFolder(ExtractFilePath(target));
    if (ShouldCopy(file, target)) {
        run.Report(LogLine("Copying file ", target), 1);
        // The data is checked before it goes over the file it replaces: a damaged installer
        // leaves the installed version as it was.
        const TStoredWrite written = run.StoredData.Write(run.Transaction, package, file,
                                                          run.Data.Key, target, THeldTarget::Skip);
        if (written == TStoredWrite::Skipped) {
            run.Report(LogLine("WARNING: Unable to overwrite ", target), 0);
        } else {
            if (!file.NoUninstall)
                run.UninstallList.push_back({target, false});
            if (written == TStoredWrite::TimesNotSet)
                run.Report(LogLine("WARNING: Unable to set the time of ", target), 0);
            run.CopiedBytes += file.Size;
            run.DllImports.Check(run, run.Data, target);
        }
    } else {
        run.Report("Skipping " + ExtractFileName(target) + ", found newer version at " + target +
                       " ...",
                   1);
    }
    if (withShortcut && !file.ShortcutName.empty()) {
        // A name from another tool's package may hold folders, "..", or characters Windows
        // forbids: the shortcut stays in the menu folder whatever it says.
        const std::string link = menuFolder + "\\" + SafeRelativePath(file.ShortcutName) + ".lnk";
        SaveShortcut(run.Transaction, link, target);
        run.UninstallList.push_back({link, false});
    }
}

bool InTerminalFolder(const std::string& path) {
    return AsciiLowerCase(path).find("{metatrader}") != std::string::npos;
}

// One folder "{metatrader}" stands for: a terminal folder, or one of its data folders.
struct TPass {
    std::string Folder;
    TPlatform Platform;
    // MT5 reads its options here: a data folder, or a terminal folder that has none (a portable
    // terminal).
    bool OwnSettings;
};

// A file goes into every pass whose platform its path is for; all others once.
bool GoesInto(const TKoInstallFile& file, const TPass& pass) {
    return TargetPlatforms(file.Path) & PlatformFlag(pass.Platform);
}

// The first link on the way from another user's profile to anything the run would write or read
// in Pass's folder: the terminal-side files of its platform and the settings file. "" when there
// is none, or the folder is in no other user's profile. The folders on the way stay held for the
// run (TProfileGuard), so that none can be swapped for a link after this look.
std::string LinkInPassFolder(TKoInstallRun& run, const TPass& pass) {
    const std::string& folder = pass.Folder;
    TProfileGuard& guard = run.Transaction.Guard();
    if (!guard.Guards(folder))
        return {};
    TVariables variables;
    FillVariables(run.Data, variables);
    variables.SetValue("{metatrader}", folder);
    std::vector<std::string> paths = {folder + (pass.Platform == TPlatform::MT4
                                                    ? "\\config\\experts.ini"
                                                    : "\\config\\common.ini")};
    for (const auto& file : run.Data.Files)
        if (GoesInto(*file, pass))
            paths.push_back(ExpandPath(file->Path, variables));
    for (const std::string& path : paths)
        if (std::string link = guard.Check(path); !link.empty())
            return link;
    return {};
}

// The folders "{metatrader}" stands for, one pass each: every terminal folder followed by its
// data folders, where a terminal under Program Files actually reads its MQL4 or MQL5 folder.
// A folder in another user's profile (a data folder, or a terminal installed there) with a link
// on the way is left out, with a warning in Skipped; the current user's own follow their links
// (traders share one MQL4 folder between terminals). A terminal of a platform the package has
// no files for (one named with /T=) is left out with a warning too: an MT4 add-on in an MT5
// terminal, or the reverse, is a file it never loads.
std::vector<TPass> MetaTraderFolders(TKoInstallRun& run, std::vector<std::string>& skipped) {
    const TPlatforms served = PackagePlatforms(run.Data);
    std::vector<TPass> passes;
    const auto add = [&](const TPass& pass) {
        const std::string link = LinkInPassFolder(run, pass);
        if (link.empty())
            passes.push_back(pass);
        else
            skipped.push_back(LeftAloneForLink(pass.Folder, link));
    };
    for (const std::string& terminal : run.TerminalFolders) {
        const TPlatform platform = ChosenPlatform(terminal, served);
        if (!(served & PlatformFlag(platform))) {
            skipped.push_back("WARNING: Leaving " + terminal + " alone: it is an " +
                              PlatformName(platform) +
                              " terminal and the package has no files for it ...");
            continue;
        }
        bool dataFolders = false;
        for (const TDataFolder& dataFolder : run.DataFolders)
            dataFolders = dataFolders || SameFolder(dataFolder.Terminal, terminal);
        add({terminal, platform, !dataFolders});
        for (const TDataFolder& dataFolder : run.DataFolders)
            if (SameFolder(dataFolder.Terminal, terminal))
                add({dataFolder.Folder, platform, true});
    }
    return passes;
}

// Files under "{metatrader}" go into every pass's folder of their platform; all others once, in
// the first pass.
bool Writes(const TKoInstallFile& file, size_t pass, const std::vector<TPass>& passes) {
    return InTerminalFolder(file.Path) ? GoesInto(file, passes[pass]) : pass == 0;
}

// Run items of stage 2 see the last terminal folder written into (or the last chosen when none
// is), never a data folder: a terminal left alone for a link on its way is passed over while
// another is written.
void SetRunItemTerminal(const TKoInstallRun& run, const std::vector<TPass>& passes,
                        TVariables& variables) {
    for (auto terminal = run.TerminalFolders.rbegin(); terminal != run.TerminalFolders.rend();
         ++terminal) {
        const bool written = std::any_of(passes.begin(), passes.end(), [&](const TPass& pass) {
            return SameFolder(pass.Folder, *terminal);
        });
        if (written || terminal + 1 == run.TerminalFolders.rend()) {
            variables.SetValue("{metatrader}", *terminal);
            return;
        }
    }
}

// The shortcut of a terminal-side file, in the menu every user sees, opens the file of the first
// pass outside other users' profiles that has it: the last pass is often another user's data
// folder, and that user would decide what everyone's shortcut opens.
void CopyFiles(TKoInstallRun& run, const std::vector<TPass>& passes,
               const std::string& menuFolder) {
    TVariables variables;
    FillVariables(run.Data, variables);
    TStream& package = run.Data.File();
    RunExecs(run, package, variables, stBeforeFiles);
    std::vector<bool> shortcutMade(run.Data.Files.size());
    for (size_t pass = 0; pass < passes.size(); ++pass) {
        variables.SetValue("{metatrader}", passes[pass].Folder);
        const bool othersProfile = run.Transaction.Guard().Guards(passes[pass].Folder);
        for (size_t i = 0; i < run.Data.Files.size(); ++i) {
            const TKoInstallFile& file = *run.Data.Files[i];
            if (!Writes(file, pass, passes))
                continue;
            const bool withShortcut =
                !shortcutMade[i] && !(InTerminalFolder(file.Path) && othersProfile);
            InstallFile(run, package, variables, file, menuFolder, withShortcut);
            shortcutMade[i] = shortcutMade[i] || withShortcut;
        }
    }
    SetRunItemTerminal(run, passes, variables);
    RunExecs(run, package, variables, stAfterFiles);
}

// A file that is not exactly as the terminal writes it is left alone: the trader's login lives
// in it too. The warning names the boxes the trader then ticks.
void OverrideCommonIniOf(TKoInstallRun& run, const TPass& pass) {
    const std::string& options = run.Data.ExpertOptions;
    run.Report(LogLine("Overriding MetaTrader settings in ", pass.Folder), 1);
    std::string line = pass.Folder + "\\config\\common.ini";
    if (const char* reason = OverrideCommonIni(options, line, run.Transaction)) {
        const unsigned on = Mt5Options(options, true);
        line.insert(0, "WARNING: Leaving ").append(" alone: ").append(reason);
        if (on)
            line.append("; ").append(Mt5OptionsNote(on, run.Data.ProductName, {}));
        run.Report(line.append(" ..."), 0);
        run.Mt5OptionsToTick |= on;
    }
}

void OverrideSettings(TKoInstallRun& run, const std::vector<TPass>& passes) {
    const bool forMt5 =
        Mt5Options(run.Data.ExpertOptions, true) | Mt5Options(run.Data.ExpertOptions, false);
    for (const TPass& pass : passes) {
        if (pass.Platform == TPlatform::MT4) {
            run.Report(LogLine("Overriding MetaTrader settings in ", pass.Folder), 1);
            OverrideExpertSettings(run.Data, pass.Folder, run.Transaction);
        } else if (forMt5 && pass.OwnSettings) {
            OverrideCommonIniOf(run, pass);
        }
    }
}

// Every target of the files and stored programs, expanded as CopyFiles expands it, before the
// run writes anything: one that would not be a full path fails the run with nothing to undo.
void CheckTargets(const TKoInstallRun& run, const std::vector<TPass>& passes) {
    TVariables variables;
    FillVariables(run.Data, variables);
    CheckStoredTargets(run.Data, variables, stBeforeFiles);
    for (size_t pass = 0; pass < passes.size(); ++pass) {
        variables.SetValue("{metatrader}", passes[pass].Folder);
        for (const auto& file : run.Data.Files)
            if (Writes(*file, pass, passes))
                ExpandTarget(file->Path, variables);
    }
    SetRunItemTerminal(run, passes, variables);
    CheckStoredTargets(run.Data, variables, stAfterFiles);
}

bool StartsWithScheme(const std::string& address) {
    const size_t colon = address.find("://");
    if (colon == std::string::npos || colon == 0 ||
        !std::isalpha(static_cast<unsigned char>(address[0])))
        return false;
    for (size_t i = 1; i < colon; ++i) {
        const unsigned char c = static_cast<unsigned char>(address[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.')
            return false;
    }
    return true;
}

void InstallDocuments(TKoInstallRun& run, const std::string& programFolder,
                      const std::string& menuFolder) {
    const TKoInstall& data = run.Data;
    // Whoever opens the file reads it in the package's code page, not in the system's.
    InstallTextFile(run, programFolder + "\\Readme.rtf", menuFolder + "\\Readme.lnk",
                    RtfInCodePage(data.ReadmeText, SystemCodec(), data.CodePage));
    InstallTextFile(run, programFolder + "\\License.rtf", menuFolder + "\\License.lnk",
                    RtfInCodePage(data.LicenseText, SystemCodec(), data.CodePage));
    InstallTextFile(run, programFolder + "\\What's New.rtf", menuFolder + "\\What's New.lnk",
                    RtfInCodePage(data.WhatsNewText, SystemCodec(), data.CodePage));
}

void InstallInternetShortcuts(TKoInstallRun& run, const std::string& menuFolder) {
    const TKoInstall& data = run.Data;
    const std::string website = WebsiteAddress(data.Website);
    if (!website.empty())
        CreateUrlShortcut(run, menuFolder + "\\" + SafeName(data.Publisher + " Website") + ".url",
                          website);
    if (!Trim(data.ContactEmail).empty()) {
        const std::string address = data.ContactName.empty()
                                        ? data.ContactEmail
                                        : data.ContactName + " <" + data.ContactEmail + ">";
        CreateUrlShortcut(run, menuFolder + "\\Contact Email.url", "mailto:" + address);
    }
}

} // namespace

void InstallTextFile(TKoInstallRun& run, const std::string& filePath, const std::string& linkPath,
                     const std::string& text) {
    if (text.empty())
        return;
    run.Report(LogLine("Copying file ", filePath), 1);
    run.UninstallList.push_back({filePath, false});
    const std::string lines = CrLfLines(text);
    run.Transaction.WriteStream(filePath, [&](TFileStream& output) {
        output.WriteBuffer(lines.data(), int64_t(lines.size()));
    });
    run.Report(LogLine("Creating shortcut ", linkPath), 1);
    run.UninstallList.push_back({linkPath, false});
    SaveShortcut(run.Transaction, linkPath, filePath);
}

void CreateUrlShortcut(TKoInstallRun& run, const std::string& path, const std::string& address) {
    if (address.empty() || address == "mailto:" || address == "http://")
        return;
    run.Report(LogLine("Creating shortcut ", path), 1);
    run.UninstallList.push_back({path, false});
    const std::string text = "[InternetShortcut]\r\nURL=" + address + "\r\n\r\n";
    run.Transaction.WriteStream(
        path, [&](TFileStream& output) { output.WriteBuffer(text.data(), int64_t(text.size())); });
}

std::string WebsiteAddress(const std::string& website) {
    const std::string address = Trim(website);
    if (address.empty() || StartsWithScheme(address))
        return address;
    return "http://" + address;
}

void TKoInstallRun::Execute() {
    std::vector<std::string> skipped;
    const std::vector<TPass> passes = MetaTraderFolders(*this, skipped);
    // An estimate: every file counted in every pass.
    const int32_t passCount = static_cast<int32_t>(passes.size());
    Position = 0;
    Max = (Data.ExpertOptions.empty() ? 0 : passCount) +
          passCount * static_cast<int32_t>(Data.Files.size()) +
          static_cast<int32_t>(Data.Execs.size()) + 10;
    for (const std::string& warning : skipped)
        Report(warning, 0);
    const std::string programFolder = ProgramFolder(Data);
    const std::string menuFolder = MenuFolder(Data);
    UninstallList.push_back({programFolder, true});
    UninstallList.push_back({menuFolder, true});
    CheckTargets(*this, passes);

    const std::string journal = programFolder + "\\" + JournalName;
    // Before anything is written: a killed run's backups must still be there to put back, and
    // the first folder this run writes into would clear them away as leftovers.
    UndoKilledRun(
        journal, "", [this](const std::string& line) { Report(line, 0); }, Transaction.Guard());
    try {
        if (const std::string warning = Transaction.KeepJournal(journal); !warning.empty())
            Report(warning, 0);
        CopyFiles(*this, passes, menuFolder);
        if (!Data.ExpertOptions.empty())
            OverrideSettings(*this, passes);
        InstallDocuments(*this, programFolder, menuFolder);
        InstallInternetShortcuts(*this, menuFolder);
        // The log is written inside: nothing recorded after this call would reach it.
        CreateUninstaller(*this, programFolder + "\\Uninstall.exe", menuFolder + "\\Uninstall.lnk");
    } catch (...) {
        RollBack();
        throw;
    }
    Transaction.Commit();
    Report("Done.", 1);
}

void TKoInstallRun::RollBack() {
    if (Transaction.Changed())
        Report("Rolling back the changes of this run ...", 0);
    Transaction.Rollback([this](const std::string& line) { Report(line, 0); });
    for (const std::string& title : StartedItems)
        Report("WARNING: \"" + title + "\" has already run; what it did cannot be undone ...", 0);
}

} // namespace ko

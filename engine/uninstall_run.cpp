#include "engine/uninstall_run.h"

#include "base/win32_util.h"
#include "engine/file_utils.h"
#include "engine/killed_run.h"
#include "engine/link_guard.h"
#include "engine/sys_folders.h"
#include "engine/transaction.h"
#include "engine/uninstall_registry.h"
#include "package/windows_names.h"

#include <windows.h>

#include <map>
#include <set>

namespace ko {

namespace {

// What a killed install left beside the files, except where Linked names a link. A leftover
// that stays (another program holds it) is reported by its own name.
void RemoveInstallLeftovers(TKoRun& run, const std::vector<std::string>& files,
                            const std::vector<std::string>& folders,
                            TFunctionRef<std::string(const std::string&)> linked) {
    // Each folder once, under the name it is logged by: the warnings show it.
    std::map<std::string, std::string> all;
    for (const std::string& file : files)
        all.emplace(LowerPath(ExtractFileDir(file)), ExtractFileDir(file));
    for (const std::string& folder : folders)
        all.emplace(LowerPath(folder), folder);
    for (const auto& [lower, folder] : all)
        if (!folder.empty() && linked(folder).empty())
            for (const std::string& leftover : RemoveLeftovers(folder))
                run.Report(LogLine("WARNING: Unable to delete file ", leftover), 0);
}

// Adds Paths to List, each once whatever its letter case.
void AddOnce(std::vector<std::string>& list, std::set<std::string>& seen,
             const std::vector<std::string>& paths) {
    for (const std::string& path : paths)
        if (seen.insert(LowerPath(path)).second)
            list.push_back(path);
}

// A file another program holds (a terminal running the expert) goes when the system restarts,
// so that no file of the product is left without a record of it. A read-only file is one the
// user protected and stays.
bool HeldOpen(const std::string& file) {
    const DWORD attributes = GetFileAttributesW(Wide(file).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           !(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY));
}

void ScheduleRemoval(TKoRun& run, const std::string& path, const char* kind) {
    if (MoveFileExW(Wide(path).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
        run.Report(std::string(kind) + " " + path + " will be removed at the next restart ...", 0);
    else
        run.Report("WARNING: Unable to schedule " + path + " for removal at the next restart ...",
                   0);
}

} // namespace

void TKoUninstallRun::Execute() {
    // A killed install is undone first, so that what it replaced is the trader's again (a file
    // the log does not list stays as it was before that install). What it created and could not
    // be removed stays in its journal: the files, then the folders from the newest (the deepest)
    // on, before the logged ones that hold them. This uninstaller itself, when that install
    // wrote it, is not put back: it goes anyway.
    std::vector<std::string> files, folders, journalFiles, journalFolders;
    // In another user's profile nothing is deleted through a link that user may have put on
    // the way since the install, pointing anywhere, or puts there while this run works.
    TProfileGuard guard;
    std::string journal;
    if (!Data.ProductName.empty()) {
        journal = ProgramFolder(Data) + "\\" + JournalName;
        UndoKilledRun(
            journal, RunningProgramPath(), [this](const std::string& line) { Report(line, 0); },
            guard);
        std::string warning;
        const std::vector<TUninstallEntry> entries = CreatedEntries(ReadJournal(journal, &warning));
        if (!warning.empty())
            Report(warning, 0);
        for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry)
            (entry->Folder ? journalFolders : journalFiles).push_back(entry->Path);
    }
    std::set<std::string> seenFiles, seenFolders;
    AddOnce(files, seenFiles, Data.FileList);
    AddOnce(files, seenFiles, journalFiles);
    AddOnce(folders, seenFolders, journalFolders);
    AddOnce(folders, seenFolders, Data.FolderList);
    Position = 0;
    Max = static_cast<int32_t>(files.size() + folders.size()) + 1;
    const auto linked = [&guard](const std::string& path) { return guard.Check(path); };
    RemoveInstallLeftovers(*this, files, folders, linked);
    // The read-only attribute is left as it is: a file the user protected stays, with a warning.
    // A file already gone (the trader deleted it, or a killed uninstall did) counts as removed.
    std::vector<std::string> held;
    for (const std::string& file : files) {
        Report(LogLine("Delete file ", file), 1);
        if (const std::string link = linked(file); !link.empty()) {
            Report(LeftAloneForLink(file, link), 0);
        } else if (!DeleteFilePath(file) && !NotFound(GetLastError())) {
            Report(LogLine("WARNING: Unable to delete file ", file), 0);
            if (HeldOpen(file))
                held.push_back(file);
        }
    }
    if (!journal.empty())
        DeleteFilePath(journal);
    // Only empty folders go: whatever the user added keeps its folder.
    for (const std::string& folder : folders) {
        Report(LogLine("Remove folder ", folder), 1);
        if (linked(folder).empty()) {
            guard.Release(folder);
            RemoveFolder(folder);
        }
    }
    // The files first, then their folders: the system works through the list in order. A
    // removal at restart is resolved by name at boot, through whatever links another user has
    // put on the way by then; such files stay, with a warning.
    std::erase_if(held, [&](const std::string& file) {
        if (!guard.Guards(file))
            return false;
        Report("WARNING: " + file +
                   " is in use and stays: it is in another user's profile, where nothing is "
                   "removed at restart ...",
               0);
        return true;
    });
    for (const std::string& file : held)
        ScheduleRemoval(*this, file, "File");
    for (const std::string& folder : folders) {
        bool holdsOne = false;
        for (const std::string& file : held)
            holdsOne = holdsOne || FolderHolds(folder, file);
        if (holdsOne && DirectoryExists(folder))
            ScheduleRemoval(*this, folder, "Folder");
    }
    Report("Unregistering uninstaller ...", 1);
    // A log without a product name names no entry of its own.
    if (Data.ProductName.empty())
        Report("WARNING: The uninstall data names no product, so no registry entry is removed ...",
               0);
    else
        DeleteUninstallKey(ProductFolderName(Data.ProductName));
    Report("Done.", 1);
}

} // namespace ko

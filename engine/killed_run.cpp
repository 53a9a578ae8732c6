#include "engine/killed_run.h"

#include "base/path_names.h"
#include "base/win32_util.h"
#include "engine/file_utils.h"
#include "engine/link_guard.h"
#include "engine/run_state.h"
#include "engine/transaction.h"

#include <windows.h>

namespace ko {

namespace {

// Deletes Path; true when it is gone, also when it was never there.
bool DeleteIfThere(const std::string& path) {
    ClearReadOnly(path);
    return DeleteFilePath(path) || NotFound(GetLastError());
}

} // namespace

void UndoKilledRun(const std::string& journalPath, const std::string& keep,
                   TFunctionRef<void(const std::string&)> report, TProfileGuard& guard) {
    const std::vector<TJournalEntry> entries = ReadJournal(journalPath);
    if (entries.empty())
        return;
    report("Undoing the changes of an earlier run that did not end ...");
    // In another user's profile nothing is deleted or put back through a link that user may
    // have made since the run, pointing anywhere, nor one made while this undo works.
    std::vector<TJournalEntry> stay;
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        const std::string& path = entry->Path;
        if (const std::string link = guard.Check(path); !link.empty()) {
            report(LeftAloneForLink(path, link));
            if (entry->Kind != TJournalEntry::ReplacedFile)
                stay.insert(stay.begin(), *entry);
            continue;
        }
        if (entry->Kind == TJournalEntry::CreatedFolder) {
            guard.Release(path);
            if (RemoveFolder(path))
                report(LogLine("Removing folder ", path));
            else if (DirectoryExists(path))
                stay.insert(stay.begin(), *entry);
            continue;
        }
        // A temporary file the run had not yet moved into place holds nothing of the past.
        DeleteIfThere(path + TempSuffix);
        if (entry->Kind == TJournalEntry::ReplacedFile) {
            const std::string backup = path + BackupSuffix;
            if (!FileExists(backup))
                continue;
            if (!keep.empty() && LowerPath(path) == LowerPath(keep)) {
                DeleteIfThere(backup);
                continue;
            }
            report(LogLine("Restoring ", path));
            ClearReadOnly(path);
            if (!MoveFileReplacing(backup, path))
                report("WARNING: Unable to restore " + path + " from " + backup + " ...");
        } else if (FileExists(path)) {
            report(LogLine("Removing file ", path));
            if (!DeleteIfThere(path)) {
                report(LogLine("WARNING: Unable to delete file ", path));
                stay.insert(stay.begin(), *entry);
            }
        }
    }
    if (!WriteJournal(journalPath, stay))
        report(LogLine("WARNING: Unable to update ", journalPath));
}

} // namespace ko

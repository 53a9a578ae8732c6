// The install run's writes as one transaction. Every file the run writes goes through here: it is
// written under a temporary name in its own folder and then moved over its target in one step, so
// that a target never holds a partly written file; a file it replaces stays as a backup beside it
// until the run commits, and a run that fails puts back what it replaced and removes what it
// created.
#pragma once

#include "base/file_stream.h"
#include "base/function_ref.h"
#include "engine/link_guard.h"
#include "package/ko_data.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace ko {

// The name endings of the transaction's own files: written data not yet in place, and the backup
// of a replaced file. A run that was killed leaves them; the next run or the uninstall removes
// them.
inline constexpr char TempSuffix[] = ".~ko-new";
inline constexpr char BackupSuffix[] = ".~ko-old";

// Removes the files a killed run left in Folder under the transaction's name endings. The
// leftovers that stay (another program holds them) are returned, by their own names.
std::vector<std::string> RemoveLeftovers(const std::string& folder);

// The name of the journal an install keeps in its program folder (TFileTransaction::KeepJournal).
inline constexpr char JournalName[] = "Uninstall.~ko-run";

// One step a journal records, written before the step is taken.
struct TJournalEntry {
    enum TKind { CreatedFile, CreatedFolder, ReplacedFile };
    // The file or folder; a replaced file's backup is Path + BackupSuffix.
    std::string Path;
    TKind Kind = CreatedFile;
};

// The steps a journal lists, in the order they were taken; nothing when there is no journal. A
// line a killed run did not finish is no entry. The journal decides what the elevated installer
// and uninstaller delete, so it is followed only when its owner and everyone who may write it
// are trusted (AdministratorsOnly, through the handle it is then read through), as with the
// file of an elevated run; any other is ignored, and Warning (when given) gets a line naming it.
std::vector<TJournalEntry> ReadJournal(const std::string& path, std::string* warning = nullptr);

// The files and folders of Entries that a run created, for an uninstall log.
std::vector<TUninstallEntry> CreatedEntries(const std::vector<TJournalEntry>& entries);

// Writes Entries as the journal at Path, or deletes it when there are none. False when it could
// not be written.
bool WriteJournal(const std::string& path, const std::vector<TJournalEntry>& entries);

// True when Administrators, SYSTEM or the administrator running this program (the user of its
// token, when that user is a member of Administrators) own the open File (a HANDLE with
// READ_CONTROL), and its permissions let no one else write its data, its permissions or its
// owner.
bool AdministratorsOnly(void* file);
// True when the SID (a PSID) is one of those.
bool TrustedOwner(void* sid);

// What WriteFile does when the target cannot be replaced: another program holds it open, or it is
// read-only.
enum class THeldTarget {
    Skip,  // nothing is written; WriteFile returns false and the caller warns
    Fail,  // throws EKoError "Cannot create file ..." naming the target
    Retry, // tries again a few times (a scanner that opens a new file lets go soon), then fails
};

class TFileTransaction {
public:
    TFileTransaction() = default;
    // Guards the folders of Profiles rather than those of the other users the system lists.
    explicit TFileTransaction(std::vector<std::string> profiles) : FGuard(std::move(profiles)) {}
    TFileTransaction(const TFileTransaction&) = delete;
    TFileTransaction& operator=(const TFileTransaction&) = delete;

    // Creates Folder with every missing parent, remembering those it created. The first time a
    // folder is met, the temporary files a killed run left in it are removed. Throws EKoError
    // "Unable to create directory" for an empty name; a folder that cannot be created shows when
    // the file inside it is written.
    void EnsureFolder(const std::string& folder);

    // Writes Target: Write creates and fills the file at the path it is given (a temporary name
    // beside Target, times set), which then replaces Target in one move. False when Held is Skip
    // and Target cannot be replaced. Whatever Write throws, or a move that fails otherwise,
    // leaves Target as it was and propagates, with the temporary name replaced by Target's in the
    // message.
    bool WriteFile(const std::string& target, TFunctionRef<void(const std::string&)> write,
                   THeldTarget held = THeldTarget::Fail);

    // The same for a file written through a stream: Fill writes the temporary file opened for it
    // (and may set its times through its handle), which is then renamed over Target while it is
    // still open, without another look-up of its name.
    bool WriteStream(const std::string& target, TFunctionRef<void(TFileStream&)> fill,
                     THeldTarget held = THeldTarget::Fail);

    // Ends the transaction: the backups are deleted and nothing is undone any more.
    void Commit();

    // Undoes the transaction: restores every replaced file from its backup, deletes the files it
    // created and removes the folders it created when they are empty, newest first. Each step is
    // passed to Report as a line. Never throws; what cannot be undone is reported as a warning.
    void Rollback(TFunctionRef<void(const std::string&)> report);

    // True once a file or folder has been written since the start or the last Commit.
    bool Changed() const { return !FSteps.empty(); }

    // From now on records in the journal at Path every file and folder the transaction creates
    // and every file it replaces, each before it appears or is backed up: a run killed on its way
    // then leaves nothing without a record, and the next run can undo it (UndoKilledRun). The next
    // install takes what a journal lists into its uninstaller's log, and the uninstaller removes
    // it. What the journal already lists (a killed run's) stays listed until Commit deletes the
    // journal; Rollback puts it back as it was. A journal found there that is not to be followed
    // (see ReadJournal) is replaced; the warning about it is returned, else "".
    std::string KeepJournal(const std::string& path);
    // What the journal listed as created when KeepJournal opened it.
    const std::vector<TUninstallEntry>& InheritedEntries() const { return FInherited; }
    // True when this transaction wrote File.
    bool Wrote(const std::string& file) const;

    // What lies in other users' profiles is reached only through folders held open from the
    // profile down, is never written through a link, and its temporary files get names nobody
    // can guess (TProfileGuard). The guard lives as long as the transaction: the run's checks
    // hold the folders they looked at, and its writes find them held.
    TProfileGuard& Guard() { return FGuard; }

private:
    // One write between Begin and Finish.
    struct TPending {
        std::string Target, Lower, Temp;
        bool Existed = false;
        // In another user's profile (TProfileGuard).
        bool Guarded = false;
        int Attempts = 1;
    };
    // Looks at Target and fills Pending; false when Held is Skip and Target cannot be replaced.
    bool Begin(const std::string& target, THeldTarget held, TPending& pending);
    // Backs up a replaced target and puts the temporary file in its place with Move. Release lets
    // go of the temporary file before it is deleted on a failure, and after a Move that worked.
    bool Finish(const TPending& pending, THeldTarget held, TFunctionRef<bool()> move,
                TFunctionRef<void()> release);

    struct TStep {
        std::string Path;
        enum { CreatedFolder, CreatedFile, ReplacedFile } Kind;
    };

    TProfileGuard FGuard;
    std::vector<TStep> FSteps;
    // Lower-case paths of the files this transaction has written, so that a file written twice
    // (a shortcut in every pass) keeps the backup of what was there before the run.
    std::set<std::string> FWritten;
    std::set<std::string> FKnownFolders;
    // Lower-case paths of the folders this transaction created: nothing in them is older than
    // the run, so their targets need no look before they are written.
    std::set<std::string> FNewFolders;

    void Record(const TJournalEntry& entry);
    // Deletes the journal, or with KeepInherited writes back what it listed when it was opened.
    void CloseJournal(bool keepInherited);
    std::string FJournalPath;
    std::unique_ptr<TFileStream> FJournal;
    std::vector<TUninstallEntry> FInherited;
};

} // namespace ko

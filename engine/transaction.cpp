#include "engine/transaction.h"

#include "base/errors.h"
#include "base/win32_util.h"
#include "engine/file_utils.h"
#include "engine/run_state.h"

#include <windows.h>

#include <aclapi.h>

#include <cstring>
#include <optional>
#include <vector>

namespace ko {

namespace {

// A scanner that opens every new file lets go within a second or so; this waits about that long.
constexpr int MoveAttempts = 6;
constexpr DWORD MovePause = 200;

bool EndsWith(const std::string& text, const char* suffix) {
    const size_t n = std::strlen(suffix);
    return text.size() >= n && LowerPath(text.substr(text.size() - n)) == suffix;
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::string WithoutDelimiter(std::string folder) {
    if (folder.size() > 1 && folder.back() == '\\')
        folder.pop_back();
    return folder;
}

// A target another program holds open without letting others delete it, or a read-only one,
// cannot be replaced; asking for delete access finds both without touching the file. 0 when it
// can, else the reason.
DWORD ReplaceBlocker(const std::string& target) {
    const DWORD attributes = GetFileAttributesW(Wide(target).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return 0;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        return ERROR_ACCESS_DENIED;
    const HANDLE handle = CreateFileW(Wide(target).c_str(), DELETE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        return code == ERROR_FILE_NOT_FOUND ? 0 : code;
    }
    CloseHandle(handle);
    return 0;
}

// Deletes Path unless it is gone already; a file another program holds there throws, naming
// it, so that the user learns which file is in the way rather than the target beside it.
void ClearLeftover(const std::string& path) {
    if (DeleteFilePath(path))
        return;
    const DWORD code = GetLastError();
    if (code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND)
        throw EFOpenError(FileError("Cannot delete file", path, code));
}

// A hard link keeps the replaced data without copying it; a file system without links gets a
// copy.
void MakeBackup(const std::string& target, const std::string& backup) {
    ClearReadOnly(backup);
    ClearLeftover(backup);
    // Never over a file that took the backup's name since: that could be a link to anywhere.
    if (CreateHardLinkW(Wide(backup).c_str(), Wide(target).c_str(), nullptr) ||
        CopyToNewFile(target, backup))
        return;
    const DWORD code = GetLastError();
    DeleteFilePath(backup);
    throw EFOpenError(FileError("Cannot back up file", target, code));
}

// Tries Step up to Attempts times, MovePause apart; false (with Step's error) when none worked.
template <typename TStep>
bool WithRetries(int attempts, const TStep& step) {
    for (int attempt = 1;; ++attempt) {
        if (step())
            return true;
        if (attempt >= attempts)
            return false;
        Sleep(MovePause);
    }
}

bool MoveReplacing(const std::string& from, const std::string& to, int attempts) {
    return WithRetries(attempts, [&] { return MoveFileReplacing(from, to); });
}

// Renames the open file behind Handle (opened with delete access) to Target, replacing it.
bool RenameOpenFile(HANDLE handle, const std::string& target, int attempts) {
    const std::wstring name = Wide(target);
    // The name follows the structure's fixed part, with its terminating null.
    std::vector<uint8_t> buffer(sizeof(FILE_RENAME_INFO) + name.size() * sizeof(wchar_t));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = nullptr;
    info->FileNameLength = DWORD(name.size() * sizeof(wchar_t));
    std::memcpy(info->FileName, name.c_str(), (name.size() + 1) * sizeof(wchar_t));
    return WithRetries(attempts, [&] {
        return SetFileInformationByHandle(handle, FileRenameInfo, info, DWORD(buffer.size())) !=
               FALSE;
    });
}

// Error, of its own class E, again with Temp in its message replaced by Target; the exception
// being handled as it is when the message does not name Temp.
template <class E>
[[noreturn]] void RethrowRenamed(const E& error, const std::string& temp,
                                 const std::string& target) {
    const std::string message = error.what();
    if (message.find(temp) == std::string::npos)
        throw;
    throw E(ReplaceAll(message, temp, target));
}

// Deletes the temporary file of a write that failed and rethrows the exception being handled
// with the temporary name in its message replaced by Target's: the user knows the file by its
// own name, not by the one it was written under. A temporary file that stays is one a killed
// run left and another program holds: that is the file in the way, and the message names it.
[[noreturn]] void RethrowForTarget(const std::string& temp, const std::string& target) {
    if (!DeleteFilePath(temp) && GetLastError() != ERROR_FILE_NOT_FOUND &&
        GetLastError() != ERROR_PATH_NOT_FOUND)
        throw;
    try {
        throw;
    } catch (const EFOpenError& e) {
        RethrowRenamed(e, temp, target);
    } catch (const EStreamError& e) {
        RethrowRenamed(e, temp, target);
    } catch (const EKoError& e) {
        RethrowRenamed(e, temp, target);
    }
}

// A journal's line for Entry: its path, a folder's ending in a backslash, a replaced file's
// naming its backup. An uninstaller or installer that knows only created entries reads the
// backup's line as a file the run created: it deletes the backup, as it deletes every leftover
// of a killed run anyway, and touches nothing else.
std::string JournalLine(const TJournalEntry& entry) {
    switch (entry.Kind) {
    case TJournalEntry::CreatedFolder:
        return entry.Path + "\\\r\n";
    case TJournalEntry::ReplacedFile:
        return entry.Path + BackupSuffix + "\r\n";
    case TJournalEntry::CreatedFile:
        break;
    }
    return entry.Path + "\r\n";
}

std::string JournalLines(const std::vector<TJournalEntry>& entries) {
    std::string text;
    for (const TJournalEntry& entry : entries)
        text += JournalLine(entry);
    return text;
}

std::vector<TJournalEntry> AsJournal(const std::vector<TUninstallEntry>& entries) {
    std::vector<TJournalEntry> journal;
    for (const TUninstallEntry& entry : entries)
        journal.push_back(
            {entry.Path, entry.Folder ? TJournalEntry::CreatedFolder : TJournalEntry::CreatedFile});
    return journal;
}

} // namespace

std::vector<std::string> RemoveLeftovers(const std::string& folder) {
    std::vector<std::string> stay;
    const std::string prefix = IncludeTrailingDelimiter(folder);
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(Wide(prefix + "*.~ko-*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return stay;
    do {
        const std::string name = Utf8(found.cFileName);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        const std::string path = prefix + name;
        ClearReadOnly(path);
        bool removed = true;
        if (EndsWith(name, TempSuffix)) {
            removed = DeleteFilePath(path);
        } else if (EndsWith(name, BackupSuffix)) {
            // Backups are links to data that was replaced; the target always exists beside one,
            // unless someone removed it since, and then the backup is the only copy left.
            const std::string target = path.substr(0, path.size() - std::strlen(BackupSuffix));
            if (GetFileAttributesW(Wide(target).c_str()) == INVALID_FILE_ATTRIBUTES)
                removed = MoveFileW(Wide(path).c_str(), Wide(target).c_str()) != FALSE;
            else
                removed = DeleteFilePath(path);
        }
        if (!removed && GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES)
            stay.push_back(path);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return stay;
}

bool TrustedOwner(void* sid) {
    if (!sid || !IsValidSid(sid))
        return false;
    if (IsWellKnownSid(sid, WinBuiltinAdministratorsSid) || IsWellKnownSid(sid, WinLocalSystemSid))
        return true;
    // The administrator running this, whose files an elevated run may create under their own
    // name (where the system is set up so, and always under Wine).
    BOOL admin = FALSE;
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof administrators;
    if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) ||
        !CheckTokenMembership(nullptr, administrators, &admin) || !admin)
        return false;
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    alignas(TOKEN_USER) BYTE buffer[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    DWORD length = 0;
    const bool same = GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &length) &&
                      EqualSid(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, sid);
    CloseHandle(token);
    return same;
}

namespace {

// No one but trusted SIDs may change the file: an entry that allows anyone else to write its
// data, its permissions or its owner lets them steer the next elevated run as surely as owning
// it would. Entries of kinds other than allow and deny are not looked into: refused.
bool OnlyTrustedMayWrite(const ACL* dacl) {
    if (!dacl) // no list at all: everyone may do anything
        return false;
    constexpr ACCESS_MASK Writes =
        FILE_WRITE_DATA | FILE_APPEND_DATA | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
    const auto* header = reinterpret_cast<const ACE_HEADER*>(dacl + 1);
    for (WORD i = 0; i < dacl->AceCount; ++i) {
        const auto* ace = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header);
        if (header->AceType != ACCESS_DENIED_ACE_TYPE && !(header->AceFlags & INHERIT_ONLY_ACE) &&
            (header->AceType != ACCESS_ALLOWED_ACE_TYPE ||
             ((ace->Mask & Writes) && !TrustedOwner(const_cast<DWORD*>(&ace->SidStart)))))
            return false;
        header = reinterpret_cast<const ACE_HEADER*>(reinterpret_cast<const BYTE*>(header) +
                                                     header->AceSize);
    }
    return true;
}

} // namespace

bool AdministratorsOnly(void* file) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(file, SE_FILE_OBJECT,
                        OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                        &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    const bool trusted = TrustedOwner(owner) && OnlyTrustedMayWrite(dacl);
    LocalFree(descriptor);
    return trusted;
}

std::vector<TJournalEntry> ReadJournal(const std::string& path, std::string* warning) {
    std::vector<TJournalEntry> entries;
    std::string text;
    try {
        // One handle, which lets nobody write meanwhile, serves the checks and the reading: what
        // is read is what was checked, whatever is done to the name in between.
        TFileStream journal(path, TFileMode::OpenReadLocked);
        // A user who could write into the program folder, or into the journal, could otherwise
        // have the next run delete any file the administrator can.
        if (!AdministratorsOnly(reinterpret_cast<void*>(journal.Handle()))) {
            if (warning)
                *warning = "WARNING: Ignoring " + path +
                           ": it is not owned and writable by the administrators alone ...";
            return entries;
        }
        text.resize(static_cast<size_t>(journal.Size()));
        text.resize(static_cast<size_t>(journal.ReadFully(text.data(), int64_t(text.size()))));
    } catch (const EKoError&) {
        return entries;
    }
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        TJournalEntry entry{line, TJournalEntry::CreatedFile};
        if (!line.empty() && line.back() == '\\') {
            entry.Path.pop_back();
            entry.Kind = TJournalEntry::CreatedFolder;
        } else if (EndsWith(line, BackupSuffix)) {
            entry.Path.resize(line.size() - std::strlen(BackupSuffix));
            entry.Kind = TJournalEntry::ReplacedFile;
        }
        if (!entry.Path.empty())
            entries.push_back(entry);
    }
    return entries;
}

std::vector<TUninstallEntry> CreatedEntries(const std::vector<TJournalEntry>& entries) {
    std::vector<TUninstallEntry> created;
    for (const TJournalEntry& entry : entries)
        if (entry.Kind != TJournalEntry::ReplacedFile)
            created.push_back({entry.Path, entry.Kind == TJournalEntry::CreatedFolder});
    return created;
}

bool WriteJournal(const std::string& path, const std::vector<TJournalEntry>& entries) {
    if (entries.empty()) {
        ClearReadOnly(path);
        return DeleteFilePath(path) || GetLastError() == ERROR_FILE_NOT_FOUND;
    }
    try {
        const std::string text = JournalLines(entries);
        TFileStream(path, TFileMode::Create).WriteBuffer(text.data(), int64_t(text.size()));
        return true;
    } catch (const EKoError&) {
        return false;
    }
}

std::string TFileTransaction::KeepJournal(const std::string& path) {
    EnsureFolder(ExtractFilePath(path));
    std::string warning;
    FInherited = CreatedEntries(ReadJournal(path, &warning));
    // Another owner's file is made anew rather than written over, which would keep its owner.
    if (!warning.empty()) {
        ClearReadOnly(path);
        DeleteFilePath(path);
    }
    FJournalPath = path;
    // Written again without an unfinished line a killed run may have left at its end.
    FJournal = std::make_unique<TFileStream>(path, TFileMode::Create);
    const std::string before = JournalLines(AsJournal(FInherited));
    FJournal->WriteBuffer(before.data(), int64_t(before.size()));
    return warning;
}

void TFileTransaction::Record(const TJournalEntry& entry) {
    if (!FJournal)
        return;
    const std::string line = JournalLine(entry);
    FJournal->WriteBuffer(line.data(), int64_t(line.size()));
}

bool TFileTransaction::Wrote(const std::string& file) const {
    return FWritten.count(LowerPath(file)) != 0;
}

void TFileTransaction::CloseJournal(bool keepInherited) {
    if (!FJournal)
        return;
    FJournal.reset();
    bool kept = false;
    if (keepInherited && !FInherited.empty())
        kept = WriteJournal(FJournalPath, AsJournal(FInherited));
    if (!kept)
        DeleteFilePath(FJournalPath);
    FJournalPath.clear();
    FInherited.clear();
}

void TFileTransaction::EnsureFolder(const std::string& folder) {
    if (folder.empty())
        throw EKoError("Unable to create directory");
    const std::string dir = WithoutDelimiter(folder);
    if (!FKnownFolders.insert(LowerPath(dir)).second)
        return;
    const auto made = [this](const std::string& path) {
        FSteps.push_back({path, TStep::CreatedFolder});
        FNewFolders.insert(LowerPath(path));
    };
    if (FGuard.Guards(dir)) {
        FGuard.Create(
            dir,
            [this](const std::string& path) {
                Record({path, TJournalEntry::CreatedFolder});
            },
            made);
        if (!FNewFolders.count(LowerPath(dir)))
            RemoveLeftovers(dir);
        return;
    }
    // The missing folders from the deepest up; a drive ("C:") or a root needs no creating.
    std::vector<std::string> missing;
    for (std::string path = dir; path.size() >= 3 && !DirectoryExists(path);) {
        missing.push_back(path);
        const std::string parent = ExtractFileDir(path);
        if (parent == path || parent.empty())
            break;
        path = parent;
    }
    if (missing.empty()) {
        RemoveLeftovers(dir);
        return;
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        Record({*it, TJournalEntry::CreatedFolder});
        if (CreateDirectoryW(Wide(*it).c_str(), nullptr))
            made(*it);
    }
}

bool TFileTransaction::Begin(const std::string& target, THeldTarget held, TPending& pending) {
    const std::string folder = ExtractFilePath(target);
    EnsureFolder(folder);
    pending.Target = target;
    pending.Lower = LowerPath(target);
    // In another user's folder a name known in advance could be taken first, by a link to
    // anywhere: the temporary file there is made new under a random name.
    pending.Guarded = FGuard.Guards(target);
    pending.Temp = target + TempSuffix;
    if (pending.Guarded) {
        const std::string random = RandomHex(8);
        if (random.empty())
            throw EKoError("Unable to create a random name");
        pending.Temp = target + "." + random + TempSuffix;
        if (const std::string link = FGuard.Check(target); !link.empty())
            throw EFOpenError("Cannot create file \"" + target + "\": " + link +
                              " is a link in another user's profile");
    }
    pending.Attempts = held == THeldTarget::Retry ? MoveAttempts : 1;
    // One look at the target serves every decision below: most targets are new, and in a folder
    // this run created only what it wrote itself can be there.
    const bool unseen = FNewFolders.count(LowerPath(WithoutDelimiter(folder))) != 0 &&
                        FWritten.count(pending.Lower) == 0;
    const DWORD attributes =
        unseen ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(Wide(target).c_str());
    pending.Existed = attributes != INVALID_FILE_ATTRIBUTES;
    if (pending.Existed && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        throw EFOpenError(FileError("Cannot create file", target, ERROR_ACCESS_DENIED));
    // Found before anything is written, so that a held target costs no copy and leaves no
    // backup that could not be deleted while the other program holds its data.
    DWORD blocker = pending.Existed ? ReplaceBlocker(target) : 0;
    for (int attempt = 1; blocker != 0 && attempt < pending.Attempts; ++attempt) {
        Sleep(MovePause);
        blocker = ReplaceBlocker(target);
    }
    if (blocker == 0)
        return true;
    if (held == THeldTarget::Skip)
        return false;
    throw EFOpenError(FileError("Cannot create file", target, blocker));
}

bool TFileTransaction::Finish(const TPending& pending, THeldTarget held, TFunctionRef<bool()> move,
                              TFunctionRef<void()> release) {
    // A file this transaction wrote already (a shortcut in every pass) keeps the backup of what
    // was there before the run, and one it created stays one to delete.
    const bool replaces = pending.Existed && !FWritten.count(pending.Lower);
    const std::string backup = pending.Target + BackupSuffix;
    if (!pending.Existed)
        Record({pending.Target, TJournalEntry::CreatedFile});
    if (replaces) {
        // Recorded before the backup exists: the undo of a killed run finds either no backup
        // (nothing was replaced yet) or the replaced data under the backup's name.
        Record({pending.Target, TJournalEntry::ReplacedFile});
        try {
            MakeBackup(pending.Target, backup);
        } catch (...) {
            release();
            DeleteFilePath(pending.Temp);
            throw;
        }
    }
    if (!move()) {
        const DWORD code = GetLastError();
        release();
        DeleteFilePath(pending.Temp);
        if (replaces)
            DeleteFilePath(backup);
        if (held == THeldTarget::Skip)
            return false;
        throw EFOpenError(FileError("Cannot create file", pending.Target, code));
    }
    release();
    if (replaces)
        FSteps.push_back({pending.Target, TStep::ReplacedFile});
    else if (!pending.Existed)
        FSteps.push_back({pending.Target, TStep::CreatedFile});
    FWritten.insert(pending.Lower);
    return true;
}

bool TFileTransaction::WriteFile(const std::string& target,
                                 TFunctionRef<void(const std::string&)> write, THeldTarget held) {
    TPending pending;
    if (!Begin(target, held, pending))
        return false;
    // Written by name: only the program's own folders take such files.
    if (pending.Guarded)
        throw EFOpenError("Cannot create file \"" + target + "\" in another user's profile");
    // A temporary file of that name left by a killed run is overwritten by the new one.
    try {
        write(pending.Temp);
    } catch (...) {
        RethrowForTarget(pending.Temp, target);
    }
    return Finish(
        pending, held, [&] { return MoveReplacing(pending.Temp, target, pending.Attempts); },
        [] {});
}

bool TFileTransaction::WriteStream(const std::string& target, TFunctionRef<void(TFileStream&)> fill,
                                   THeldTarget held) {
    TPending pending;
    if (!Begin(target, held, pending))
        return false;
    std::unique_ptr<TFileStream> output;
    try {
        output = pending.Guarded
                     ? FGuard.CreateNew(pending.Temp)
                     : std::make_unique<TFileStream>(pending.Temp, TFileMode::CreateRenamable);
        fill(*output);
    } catch (...) {
        output.reset();
        RethrowForTarget(pending.Temp, target);
    }
    const HANDLE handle = reinterpret_cast<HANDLE>(output->Handle());
    return Finish(
        pending, held, [&] { return RenameOpenFile(handle, target, pending.Attempts); },
        [&] { output.reset(); });
}

void TFileTransaction::Commit() {
    // The journal goes first: once it is gone the next run no longer undoes this one, and a
    // backup a kill leaves behind is a mere leftover (RemoveLeftovers).
    CloseJournal(false);
    for (const TStep& step : FSteps) {
        if (step.Kind != TStep::ReplacedFile)
            continue;
        const std::string backup = step.Path + BackupSuffix;
        ClearReadOnly(backup);
        DeleteFilePath(backup);
    }
    FSteps.clear();
    FWritten.clear();
    FNewFolders.clear();
    FGuard.ReleaseAll();
}

void TFileTransaction::Rollback(TFunctionRef<void(const std::string&)> report) {
    // What a killed run left stays listed; a journal that listed nothing else goes, so that the
    // folder it is in can go too.
    CloseJournal(true);
    for (auto it = FSteps.rbegin(); it != FSteps.rend(); ++it) {
        const std::string& path = it->Path;
        if (it->Kind == TStep::ReplacedFile) {
            report(LogLine("Restoring ", path));
            const std::string backup = path + BackupSuffix;
            ClearReadOnly(path);
            if (!MoveReplacing(backup, path, MoveAttempts))
                report("WARNING: Unable to restore " + path + " from " + backup + " ...");
        } else if (it->Kind == TStep::CreatedFile) {
            report(LogLine("Removing file ", path));
            ClearReadOnly(path);
            if (!DeleteFilePath(path))
                report(LogLine("WARNING: Unable to delete file ", path));
        } else {
            FGuard.Release(path);
            if (RemoveFolder(path))
                report(LogLine("Removing folder ", path));
        }
    }
    FSteps.clear();
    FWritten.clear();
    FNewFolders.clear();
    FGuard.ReleaseAll();
}

} // namespace ko

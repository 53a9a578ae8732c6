// Links in other users' profiles. The elevated installer writes into, reads settings from and
// deletes in the MetaTrader data folders of every profile, and another user controls what lies
// below their own profile folder: a junction, symbolic link or mount point there would send
// the administrator's writes and deletes wherever that user likes, and one put there while the
// run works would do so after any check. So every folder on the way from such a profile down to
// what the run touches is opened relative to the one above it, refused when it is a link, and
// held open without delete sharing until the run ends: a held folder cannot be renamed, removed
// or replaced, and every path through held folders reaches what was checked. What is at the end
// of such a path is never followed either: files there are made new under a name nobody could
// guess (CreateNew) and read only when they are plain files with one name (OpenRead).
// The current user's own folders follow their links, as the user made them.
#pragma once

#include "base/file_stream.h"
#include "base/function_ref.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace ko {

// The profile folders of the users other than the one running the program, as the system
// lists them.
std::vector<std::string> OtherProfileFolders();

// The folder of Profiles that Path lies in, or "".
std::string ProfileOf(const std::string& path, const std::vector<std::string>& profiles);

// The log's warning that Path stays as it is because Link, on its way in another user's profile,
// is a link (TProfileGuard::Check).
std::string LeftAloneForLink(const std::string& path, const std::string& link);

class TProfileGuard {
public:
    // Guards the paths in Profiles (by default the other users', looked up when first needed).
    TProfileGuard() = default;
    explicit TProfileGuard(std::vector<std::string> profiles);
    ~TProfileGuard();
    TProfileGuard(const TProfileGuard&) = delete;
    TProfileGuard& operator=(const TProfileGuard&) = delete;

    // True when Path lies in a guarded profile, by its text or by where it leads (its final
    // path, or one that cannot be told).
    bool Guards(const std::string& path);
    // Holds the folders from Path's profile down to Path's own folder, as far as they exist,
    // and looks at Path itself, holding it too when it is a folder. "" when nothing on the way is a
    // link, or Path lies in no guarded profile; else the first step that is a link or cannot be
    // looked at (fail closed: anything but "not there" may hide a link); Path itself when it
    // reaches a guarded profile under a spelling other than the profile's own.
    std::string Check(const std::string& path);
    // Holds Folder's steps as Check does, then creates the missing ones, each relative to the
    // one above it, and holds it; Before is called with each before it is created and Made once
    // it is. Throws EFOpenError naming the step that is a link or cannot be made.
    using TStepEvent = TFunctionRef<void(const std::string&)>;
    void Create(const std::string& folder, const TStepEvent& before, const TStepEvent& made);
    // Lets go of Folder and what is held below it, so that it can be removed.
    void Release(const std::string& folder);
    // Lets go of every folder: the run is over, and the user may move their folders again.
    void ReleaseAll();
    // A new file at Path, in a guarded profile, which must not exist yet, opened for reading,
    // writing and renaming and created relative to its held folder. Throws EFOpenError naming
    // Path.
    std::unique_ptr<TFileStream> CreateNew(const std::string& path);
    // The existing file at Path opened for reading. In a guarded profile it must be a plain file
    // with one name (a second name could be a link to any file the administrator may read), else
    // EFOpenError naming Path.
    std::unique_ptr<TFileStream> OpenRead(const std::string& path);

private:
    // The held handle of Folder (a HANDLE), or nullptr.
    void* Held(const std::string& folder) const;
    // Holds the steps of Folder; "" or the failing step as Check.
    std::string HoldFolder(const std::string& folder, const TStepEvent* before = nullptr,
                           const TStepEvent* made = nullptr);
    const std::vector<std::string>& Profiles();
    // Path opened relative to its held folder, never through a link at its end (a HANDLE);
    // throws EFOpenError "WHAT \"PATH\". ..." (FileError).
    void* OpenFile(const std::string& path, unsigned long access, unsigned long share,
                   unsigned long disposition, const char* what);

    std::vector<std::string> FProfiles;
    // The final paths of FProfiles, looked up when first needed.
    std::vector<std::string> FFinalProfiles;
    bool FLookedUp = false;
    // Lower-case folder paths and their handles: a few dozen at most, looked through in turn.
    std::vector<std::pair<std::string, void*>> FHeld;
};

} // namespace ko

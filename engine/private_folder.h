// A folder of the run's own in the temporary folder, for the files the run must leave there:
// the uninstaller's self-removal script and the copy of an installer started from a network
// drive. Anyone may create files in the temporary folder (as SYSTEM it is C:\Windows\Temp), so
// a predictable name there could be taken, or prepared, by another user before the run gets to
// it; a folder of an unpredictable name, created new, cannot.
#pragma once

#include <string>
#include <vector>

namespace ko {

class TPrivateFolder {
public:
    // Creates a new folder with an unpredictable name in Parent ("" for the temporary folder),
    // readable and writable by the system, administrators and its owner only. Throws EKoError
    // naming Parent when no folder can be created.
    explicit TPrivateFolder(const std::string& parent = "");
    // Removes the files created through NewFile and the folder, unless Keep was called.
    ~TPrivateFolder();
    TPrivateFolder(const TPrivateFolder&) = delete;
    TPrivateFolder& operator=(const TPrivateFolder&) = delete;

    // The folder's full path, without a trailing "\".
    const std::string& Path() const { return FPath; }
    // Path + "\" + Name, remembered for removal; the caller creates the file, never over an
    // existing one (CREATE_NEW, or a copy that fails when the target exists).
    std::string NewFile(const std::string& name);
    // Leaves the folder and its files to whoever removes them later (the self-removal script
    // removes its own folder).
    void Keep() { FKeep = true; }

private:
    std::string FPath;
    std::vector<std::string> FFiles;
    bool FKeep = false;
};

// The name part of a private folder: "KoSetup-" and 32 hexadecimal digits from the system's
// random source. Throws EKoError when the random source fails.
std::string PrivateFolderName();

} // namespace ko
